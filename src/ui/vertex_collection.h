#pragma once
// The polyline vertices the view collects for the drawing tools (mask polygons,
// block borders, scheme lines). At most 19 vertices are held; when the buffer
// fills up, the oldest are handed to the active tool and the last of them stays
// as the start of the next stretch. Every vertex reaches the tool exactly once,
// in the order clicked.

#include <array>
#include <cstdint>
#include <span>

namespace linea {

struct ImageVertex {
  std::int16_t x = 0;
  std::int16_t y = 0;
  bool operator==(const ImageVertex&) const = default;
};

// What a tool that takes input from the view implements.
class CViewTool {
 public:
  virtual ~CViewTool() = default;
  // A single click in image coordinates, before any vertex is collected (marking a
  // region, picking a block to merge or exclude). True when the tool took it.
  virtual bool PickPoint(ImageVertex point) { return false; }
  // The next vertices of the polyline in progress; the first batch starts the
  // polyline, later ones continue from the last vertex received before.
  virtual void ReceiveVertices(std::span<const ImageVertex> vertices) = 0;
  // Double click: the polyline is complete; `rest` are the vertices not yet received.
  virtual void FinishPolyline(std::span<const ImageVertex> rest) {}
  // Esc: the polyline in progress is dropped.
  virtual void CancelPolyline() {}
  // Enter: the tool is closed.
  virtual void CloseTool() {}
  // A polyline tool that has started, even before its first vertex: Esc then
  // cancels the polyline instead of closing the tool.
  virtual bool HasPolylineInProgress() const { return false; }
  // Esc without a polyline in progress: the tool's current step is cancelled
  // (a tool without steps is closed).
  virtual void CancelTool() { CloseTool(); }
  // Right click outside line drawing: the last picked point is dropped. True when
  // the tool had one.
  virtual bool DropPick() { return false; }
};

// Vertices clicked within ten pixels of an edge move just outside the image, so
// that lines drawn to them close regions at the border: x < 10 gives -1 and
// x + 11 > width gives width, likewise for y.
ImageVertex SnapToEdges(int x, int y, int imageWidth, int imageHeight);

class CVertexCollector {
 public:
  static constexpr int kCapacity = 19;
  // Vertices 1..11 go to the tool when the buffer is full; 11..19 stay.
  static constexpr int kHandedOnFull = 11;

  // Appends a vertex; when the buffer is full the oldest are handed to `tool`
  // (which may be null: they are dropped then).
  void Append(ImageVertex vertex, CViewTool* tool);
  // Removes the last vertex; the vertex already handed to the tool (the start of
  // this stretch) stays. False when nothing was removed.
  bool RemoveLast();
  // The vertices not yet handed over, and then an empty buffer.
  void Finish(CViewTool* tool);
  void Clear();

  int Count() const { return count_; }
  std::span<const ImageVertex> Vertices() const { return {vertices_.data(), std::size_t(count_)}; }
  // The last vertex; only with Count() > 0.
  ImageVertex Last() const { return vertices_[std::size_t(count_ - 1)]; }

 private:
  std::array<ImageVertex, kCapacity> vertices_{};
  int count_ = 0;
  int handed_ = 0;  // leading vertices the tool already has (0 or 1)
};

}  // namespace linea

#pragma once
// The scheme drawing tool without its window: the layer being drawn into, the
// counter that names new drawings "Рисунок1", "Рисунок2", … over the whole run,
// the polyline in progress, and the description of its last segment. The
// drawing dialog and the batch tool drive it; it knows nothing of the view.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "layers/vector_layer3.h"

namespace linea {

class CLayerStack;
class CWorkspace;

// The last segment of a polyline as the description reports it. A segment of
// zero length has no direction.
struct SegmentMeasure {
  int length = 0;
  int direction = 0;  // degrees, 1..180: 180 horizontal, 90 vertical (rows grow downwards)
  bool hasDirection = false;
};
// dx and dy: last vertex minus the one before it, in image pixels.
SegmentMeasure MeasureSegment(int dx, int dy);

// "Drawing Distance %d Direction %d ", followed by " ( %d) " with the length in
// world units when either pixel resolution is not 1.0 (in absolute value). Without
// a direction the text stops after the distance.
std::string SchemeDescription(int dx, int dy, double resolutionX, double resolutionY);

// Colour (0x00BBGGRR) and width of the polyline being drawn.
struct SchemeStyle {
  std::uint32_t color = 0x000000FF;
  int width = 1;
};

class CSchemeDrawing {
 public:
  CSchemeDrawing();
  ~CSchemeDrawing();
  CSchemeDrawing(const CSchemeDrawing&) = delete;
  CSchemeDrawing& operator=(const CSchemeDrawing&) = delete;

  // "Рисовать": a polyline of `style` starts. With the new-layer switch on (or when
  // the layer drawn into has left the stack) the counter grows and a new drawing
  // is made, to be added to the stack by its first finished polyline. A name a
  // layer of the stack already has is skipped, so no layer is replaced. 0, or 3
  // when there is no memory for the layer (nothing starts).
  int StartPolyline(const CLayerStack& stack, const SchemeStyle& style);
  // The next vertices of the polyline in progress, as image coordinates, in the
  // order clicked. With `finish` the polyline goes into the layer, whose
  // description then tells its last segment, and a new layer enters the stack.
  // 0, or 3 when the layer refuses the polyline (a 25th colour and width, or no
  // memory): the polyline is dropped then and the layer stays as it was.
  int AddSchemePoints(CWorkspace& workspace, std::span<const PolylinePoint16> points, bool finish);
  // Esc: the polyline in progress is dropped; nothing of it reaches a layer.
  void CancelPolyline();
  // "В новый слой": the next polyline starts a new drawing.
  void StartNewLayer() { newLayer_ = true; }
  // "Выйти": the next use starts a new drawing; the counter keeps its value.
  void End();

  bool IsDrawing() const { return drawing_; }
  bool NewLayerSwitch() const { return newLayer_; }
  int Counter() const { return counter_; }
  // The drawing the next polyline goes into: the one not yet in the stack, or the
  // one of the stack drawn into before; null when there is none.
  const CVectorLayer3* Target(const CLayerStack& stack) const;
  // Vertices of the polyline in progress received so far.
  int PendingVertexCount() const { return int(points_.size()); }

 private:
  CVectorLayer3* TargetInStack(const CLayerStack& stack) const;
  int MakeLayer(const CLayerStack& stack);

  int counter_ = 0;
  bool newLayer_ = true;
  bool drawing_ = false;
  SchemeStyle style_;
  std::vector<PolylinePoint16> points_;
  // A drawing made for the polyline in progress that no finished polyline has
  // added to the stack yet.
  std::unique_ptr<CVectorLayer3> pending_;
  // The drawing of the stack that later polylines go into. Only a layer still in
  // the stack under this name is used: the user may delete or merge it meanwhile.
  const CLayer* target_ = nullptr;
  std::string targetName_;
};

}  // namespace linea

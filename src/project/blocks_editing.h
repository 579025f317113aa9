#pragma once
// The blocks of a project: one 8-bit layer "Блоки" of the source image's size in
// which every pixel holds its block number. Drawing borders, numbering, checking,
// merging and excluding blocks all happen here, driven alike by the blocks editor
// window and by `linea-cli blocks`.
//
// Pixel values: 0 not yet numbered (a fresh layer), 1..253 block numbers, 254 an
// excluded block, 255 a border.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace linea {

class CLayerStack;
class CVectorLayer;
class CWorkspace;

inline constexpr std::uint8_t kBlockBorder = 255;
inline constexpr std::uint8_t kBlockExcluded = 254;
inline constexpr int kMaxBlocks = 253;

// What an operation on the blocks came to (0 is done).
enum BlocksResult : int {
  kBlocksDone = 0,
  kBlocksNoLayer = 1,        // no blocks layer (or no source image to make one of)
  kBlocksOutOfMemory = 3,    // nothing changed
  kBlocksTooMany = 20,       // more than 253 blocks: nothing changed
  kBlocksLabelFailed = 21,   // the borders are too intricate to number: nothing changed
  kBlocksOnBorder = 22,      // a picked point lies on a border: nothing changed
  kBlocksSameBlock = 23,     // both picked points lie in one block: nothing changed
  kBlocksOutside = 24,       // a point outside the image: nothing changed
  kBlocksNoUndo = 25,        // the undo copy does not fit the layer: nothing changed
};

// String id of the message that tells the user why an operation did nothing, 0
// for kBlocksDone and kBlocksNoLayer (nothing to say), the out-of-memory message for 3.
int BlocksMessageId(int result);

// An image point of the blocks layer; border vertices may lie one pixel outside.
struct BlockPoint {
  int x = 0;
  int y = 0;
  bool operator==(const BlockPoint&) const = default;
};

// Border vertices clicked within ten pixels of an edge move just outside the
// image, so that a line started or ended there closes the regions at the edge:
// x < 10 gives -1 and x + 11 > width gives width, likewise for y.
BlockPoint SnapBorderPoint(int x, int y, int width, int height);

// A fresh blocks layer of width x height pixels, all 0: palette entry 255 red and
// the others black, black transparent, colour index 255 (so its colour can be
// changed), description "Blocks image", not deletable. Null when out of memory.
std::unique_ptr<CVectorLayer> MakeBlocksLayer(int width, int height);

// "Создать  блоки": an empty blocks layer of the source image's size added to the
// stack; the workspace's blocks path becomes "created" and the calculation panel
// follows. kBlocksNoLayer when there is no source image or a blocks layer exists
// already (nothing happens), kBlocksOutOfMemory when the layer cannot be made.
int CreateBlocks(CWorkspace& workspace);

// Removes the blocks layer and makes the workspace forget its blocks: blocks path
// emptied, block roses flag cleared, calculation panel updated. False when there
// was no blocks layer.
bool DeleteBlocks(CWorkspace& workspace);

class CBlocksEditing {
 public:
  // The stack is looked up by the layer name at every operation, so that a blocks
  // layer removed or replaced while the editor is open is never touched through a
  // stale pointer. The stack must outlive this object.
  explicit CBlocksEditing(CLayerStack& stack);

  // The 8-bit blocks layer, or null.
  CVectorLayer* Layer() const;

  // The undo copy: the layer's pixels as they are now (kBlocksNoLayer, kBlocksOutOfMemory).
  int TakeUndoCopy();
  bool HasUndoCopy() const { return !undo_.empty(); }
  // "UNDO": the layer takes the undo copy back (marked changed). kBlocksNoUndo when
  // there is none or it was taken of another layer.
  int Undo();
  // Frees the undo copy.
  void DropUndoCopy();

  // "Провести границы": the undo copy is taken and a new polyline begins.
  int BeginBorder();
  // The next vertices of the polyline; the first call starts it, later ones continue
  // from the last vertex received. Each segment is written at once with 255.
  void AddBorderVertices(std::span<const BlockPoint> vertices);
  // The polyline ends; the next vertices start a new one.
  void EndBorder();
  bool IsDrawingBorder() const { return hasLast_; }

  // One segment with the border value: one pixel per step along the longer axis from
  // `from` up to, not including, `to`; the other coordinate is the start's plus the
  // offset times the slope, truncated towards zero. Pixels outside are skipped.
  void DrawSegment(BlockPoint from, BlockPoint to);

  // "Найти блоки": the regions between the borders (four-connected) numbered 1, 2,
  // ... in the raster order of their first pixels; borders stay 255. More than 253
  // blocks or a failed numbering leave the layer as it was. `count` receives the
  // number of blocks on success.
  int FindBlocks(int* count = nullptr);
  // "Сверить границы": one pass over the interior pixels in row order; a border pixel
  // whose non-border neighbours (above, below, left, right) all hold one value takes
  // it. Changes take effect at once within the pass.
  int CheckBorders();
  // "Слить блоки": every pixel of the larger of the two picked values takes the
  // smaller, then the borders are checked and the blocks numbered again.
  int Merge(BlockPoint first, BlockPoint second);
  // "Исключить": every pixel of the picked block becomes 254.
  int Exclude(BlockPoint point);

  // The value at a point, or -1 outside the layer (or without one).
  int ValueAt(BlockPoint point) const;

 private:
  CLayerStack& stack_;
  std::vector<std::uint8_t> undo_;  // the image's rows as stored, padding included
  // The layer the copy was taken of, only compared: a copy never goes onto the
  // blocks of a project opened since.
  const CVectorLayer* undoLayer_ = nullptr;
  int undoWidth_ = 0;
  int undoHeight_ = 0;
  BlockPoint last_;
  bool hasLast_ = false;
};

}  // namespace linea

#pragma once
// The pixel work of mask editing, shared by the mask dialogs and linea-cli: the
// mask and the selection preview as layers found by name, selection by
// brightness with its growth, inversion, polygon filling and deletion. Every
// operation either completes or changes nothing; failures are codes (3 when a
// buffer or the labelling tables cannot be had, 2 when the labelling runs out of
// labels), which the callers show with ShowErrorCode.

#include <cstdint>
#include <span>

namespace linea {

class CBitmapLayer;
class CImage;
class CLayerStack;
class CWorkspace;

inline constexpr int kMaskPreviewLayerName = 163;  // "Изменение маски"
inline constexpr int kMaskDescriptionText = 167;   // "Mask image"

// Mask pixels: 0 in the mask, 255 outside it.
inline constexpr std::uint8_t kInMask = 0;
inline constexpr std::uint8_t kOutsideMask = 255;
// Preview pixels: 0 selected, 255 not, 201 selected and marked as a region.
inline constexpr std::uint8_t kSelected = 0;
inline constexpr std::uint8_t kNotSelected = 255;
inline constexpr std::uint8_t kMarkedRegion = 201;

// Results besides 0 and the error codes 2 and 3.
inline constexpr int kMaskNothingToDo = 1;  // a layer the operation needs is missing, or no point there

// A polygon vertex in image pixels; it may lie outside the image.
struct MaskVertex {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const MaskVertex&) const = default;
};

// What the inside of a polygon does: becomes mask, its outside becomes mask, is
// erased from the mask, or is deselected in the preview.
enum class PolygonMode { kMask, kNotMask, kErase, kOutline };

struct SelectionRange {
  int from = 0;
  int to = 10;
  bool outside = false;  // "Вне диапазона": select what lies outside From..To
  bool grow = false;     // "Включая границы"
};

// The source image "Исходное", the mask "Маска" and the preview "Изменение маски"
// as 8-bit layers, or null.
CBitmapLayer* FindSourceLayer(const CLayerStack& stack);
CBitmapLayer* FindMaskLayer(const CLayerStack& stack);
CBitmapLayer* FindPreviewLayer(const CLayerStack& stack);

// A new empty mask of the source's size (every pixel 255) replacing any older one;
// the source becomes not deletable. 0; kMaskNothingToDo without a source; 3.
int CreateMask(CLayerStack& stack);

// The preview of the pixels whose brightness lies in (or, with `outside`, out of)
// From..To, grown when asked; it replaces an older preview and is visible.
// 0; kMaskNothingToDo without a source; 3.
int BuildSelectionPreview(CLayerStack& stack, const SelectionRange& range);

// One pixel of growth in all directions, then one more along rows and columns,
// over the interior pixels only: first every unselected pixel with a selected one
// among its eight neighbours, then (in a second pass) among its four edge
// neighbours. Pixels of the first and last row and column never change.
void GrowSelection(CImage& preview);

// Every mask pixel 0 becomes 255, every other one 0. 0, or kMaskNothingToDo without a mask.
int InvertMask(CLayerStack& stack);

// Fills the polygon into `target` (the mask, or the preview in outline mode) on a
// grid with a two-cell margin around the image, so that vertices outside the image
// are clipped. The outline itself counts as inside. 0; 2 or 3 with `target` unchanged.
int FillPolygon(CImage& target, std::span<const MaskVertex> vertices, PolygonMode mode);

// Removes the preview layer when there is one.
void RemoveSelectionPreview(CLayerStack& stack);

// Removes the layer "Маска"; a workspace that was using the mask stops using it,
// its mask-dependent results are cleared and the calculation panel follows. The
// caller has saved the mask or forgotten its file first. kMaskNothingToDo without a mask.
int DeleteMask(CWorkspace& workspace);

}  // namespace linea

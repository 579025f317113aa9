#include "project/mask_editing.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "base/checked_alloc.h"
#include "base/layer_names.h"
#include "base/messages.h"
#include "base/string_table.h"
#include "layers/band_layer.h"
#include "layers/layer_stack.h"
#include "layers/raster_import.h"
#include "layers/region_labelling.h"
#include "project/workspace.h"
#include "results/segment_walk.h"

namespace linea {

namespace {

// Temporary value of a pixel that the growth pass turns on at its end, so that
// the growth does not spread within one pass.
constexpr std::uint8_t kGrowing = 200;
// Cells around the image in the polygon grid, on every side.
constexpr int kPolygonMargin = 2;
// LabelRegions: any connectivity other than 4 gives four-connected regions.
constexpr int kFourConnected = 2;

CBitmapLayer* FindEightBitLayer(const CLayerStack& stack, int nameId) {
  auto* layer = dynamic_cast<CBitmapLayer*>(stack.FindLayer(LoadText(nameId)));
  if (!layer || layer->Image().IsEmpty() || layer->Image().GetBitsPerPixel() != 8) return nullptr;
  return layer;
}

// The preview palette: selected blue, marked olive, everything else black (not drawn).
PaletteTables PreviewPaletteTables() {
  PaletteTables p;
  p.used.fill(1);
  p.blue[kSelected] = 255;
  p.red[kMarkedRegion] = 128;
  p.green[kMarkedRegion] = 128;
  return p;
}

// A band layer of the source's size, every pixel `fill`, with the palette and the
// map record of a two-colour class map without values.
std::unique_ptr<CExtremumLayer> MakeTwoColourLayer(int nameId, int width, int height, std::uint8_t fill,
                                                   const PaletteTables& palette) {
  std::unique_ptr<CExtremumLayer> layer(new (std::nothrow) CExtremumLayer(LoadText(nameId), false));
  if (!layer || !layer->Image().Create(width, height, 8)) return nullptr;
  CImage& image = layer->Image();
  std::fill_n(image.GetBits(), std::size_t(image.GetBytesPerLine()) * std::size_t(height), fill);
  layer->SetPalette(palette.red, palette.green, palette.blue, palette.used, 256);
  layer->red = palette.red;
  layer->green = palette.green;
  layer->blue = palette.blue;
  layer->used = palette.used;
  layer->steps = 2;
  layer->stepBoundaries = {1, kOutsideMask};
  layer->paletteKind = 3;
  layer->classWidth = -1.0;
  layer->MarkChanged();
  return layer;
}

// The brightness of a source pixel: the palette index of an 8-bit image.
std::uint8_t Brightness(const CImage& source, int x, int y) {
  if (source.GetBitsPerPixel() == 8) return source.Row(y)[x];
  return std::uint8_t(source.GetColorFromPixel(x, y) & 0xFF);
}

// One growth pass: unselected interior pixels with a selected neighbour (eight
// or four of them) are selected.
void GrowPass(CImage& preview, bool eightNeighbours) {
  const int width = preview.GetWidth(), height = preview.GetHeight();
  for (int y = 1; y + 1 < height; ++y) {
    const std::uint8_t* above = preview.Row(y - 1);
    std::uint8_t* row = preview.Row(y);
    const std::uint8_t* below = preview.Row(y + 1);
    for (int x = 1; x + 1 < width; ++x) {
      if (row[x] != kNotSelected) continue;
      bool touches =
          above[x] == kSelected || below[x] == kSelected || row[x - 1] == kSelected || row[x + 1] == kSelected;
      if (!touches && eightNeighbours)
        touches = above[x - 1] == kSelected || above[x + 1] == kSelected || below[x - 1] == kSelected ||
                  below[x + 1] == kSelected;
      if (touches) row[x] = kGrowing;
    }
  }
  for (int y = 1; y + 1 < height; ++y) {
    std::uint8_t* row = preview.Row(y);
    for (int x = 1; x + 1 < width; ++x)
      if (row[x] == kGrowing) row[x] = kSelected;
  }
}

// A polygon with vertices beyond the one-pixel ring around the image is clipped
// to that ring first (each side in turn), so that the outer ring of the grid stays
// free of lines and its corner cell really lies outside the polygon. Vertices the
// view gives never lie beyond the ring; they are used as they are.
std::vector<MaskVertex> ClipToRing(std::span<const MaskVertex> vertices, int width, int height) {
  struct Point {
    double x, y;
  };
  const double left = -1, top = -1, right = width, bottom = height;
  std::vector<Point> points;
  for (const MaskVertex& v : vertices) points.push_back({double(v.x), double(v.y)});
  const auto clip = [&points](auto inside, auto cross) {
    std::vector<Point> kept;
    for (std::size_t i = 0; i < points.size(); ++i) {
      const Point& previous = points[(i + points.size() - 1) % points.size()];
      const Point& current = points[i];
      if (inside(current)) {
        if (!inside(previous)) kept.push_back(cross(previous, current));
        kept.push_back(current);
      } else if (inside(previous)) {
        kept.push_back(cross(previous, current));
      }
    }
    points.swap(kept);
  };
  const auto atX = [](double x) {
    return [x](const Point& a, const Point& b) { return Point{x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)}; };
  };
  const auto atY = [](double y) {
    return [y](const Point& a, const Point& b) { return Point{a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y}; };
  };
  clip([&](const Point& p) { return p.x >= left; }, atX(left));
  clip([&](const Point& p) { return p.x <= right; }, atX(right));
  clip([&](const Point& p) { return p.y >= top; }, atY(top));
  clip([&](const Point& p) { return p.y <= bottom; }, atY(bottom));
  std::vector<MaskVertex> clipped;
  for (const Point& p : points)
    clipped.push_back({std::int32_t(std::lround(std::clamp(p.x, left, right))),
                       std::int32_t(std::lround(std::clamp(p.y, top, bottom)))});
  return clipped;
}

bool BeyondRing(std::span<const MaskVertex> vertices, int width, int height) {
  return std::any_of(vertices.begin(), vertices.end(),
                     [&](const MaskVertex& v) { return v.x < -1 || v.y < -1 || v.x > width || v.y > height; });
}

}  // namespace

CBitmapLayer* FindSourceLayer(const CLayerStack& stack) {
  auto* layer = dynamic_cast<CBitmapLayer*>(stack.FindLayer(LoadText(kBaseLayerName)));
  if (!layer || layer->Image().IsEmpty()) return nullptr;
  return layer;
}

CBitmapLayer* FindMaskLayer(const CLayerStack& stack) { return FindEightBitLayer(stack, kMaskLayerName); }
CBitmapLayer* FindPreviewLayer(const CLayerStack& stack) { return FindEightBitLayer(stack, kMaskPreviewLayerName); }

int CreateMask(CLayerStack& stack) {
  CBitmapLayer* source = FindSourceLayer(stack);
  if (!source) return kMaskNothingToDo;
  auto mask =
      MakeTwoColourLayer(kMaskLayerName, source->GetWidth(), source->GetHeight(), kOutsideMask, MaskPaletteTables());
  if (!mask) return kErrorOutOfMemory;
  mask->SetDescription(LoadText(kMaskDescriptionText));
  if (!stack.AddLayer(std::move(mask))) return kErrorOutOfMemory;
  source->SetDeletable(false);
  return 0;
}

int BuildSelectionPreview(CLayerStack& stack, const SelectionRange& range) {
  const CBitmapLayer* source = FindSourceLayer(stack);
  if (!source) return kMaskNothingToDo;
  const int width = source->GetWidth(), height = source->GetHeight();
  auto preview = MakeTwoColourLayer(kMaskPreviewLayerName, width, height, kNotSelected, PreviewPaletteTables());
  if (!preview) return kErrorOutOfMemory;
  CImage& image = preview->Image();
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = image.Row(y);
    for (int x = 0; x < width; ++x) {
      const int v = Brightness(source->Image(), x, y);
      const bool inRange = range.from <= v && v <= range.to;
      row[x] = inRange != range.outside ? kSelected : kNotSelected;
    }
  }
  if (range.grow) GrowSelection(image);
  preview->SetVisible(true);
  if (!stack.AddLayer(std::move(preview))) return kErrorOutOfMemory;
  return 0;
}

void GrowSelection(CImage& preview) {
  if (preview.IsEmpty() || preview.GetBitsPerPixel() != 8) return;
  GrowPass(preview, true);
  GrowPass(preview, false);
}

int InvertMask(CLayerStack& stack) {
  CBitmapLayer* mask = FindMaskLayer(stack);
  if (!mask) return kMaskNothingToDo;
  CImage& image = mask->Image();
  for (int y = 0; y < image.GetHeight(); ++y) {
    std::uint8_t* row = image.Row(y);
    for (int x = 0; x < image.GetWidth(); ++x) row[x] = row[x] == kInMask ? kOutsideMask : kInMask;
  }
  mask->MarkChanged();
  return 0;
}

int FillPolygon(CImage& target, std::span<const MaskVertex> vertices, PolygonMode mode) {
  if (target.IsEmpty() || target.GetBitsPerPixel() != 8) return kMaskNothingToDo;
  const int width = target.GetWidth(), height = target.GetHeight();
  const std::int64_t gridWidth = std::int64_t(width) + 2 * kPolygonMargin;
  const std::int64_t gridHeight = std::int64_t(height) + 2 * kPolygonMargin;
  std::vector<std::uint16_t> grid;
  if (!TryResize(grid, std::uint64_t(gridWidth) * std::uint64_t(gridHeight))) return kErrorOutOfMemory;
  std::fill(grid.begin(), grid.end(), std::uint16_t(1));
  std::vector<MaskVertex> clipped;
  if (BeyondRing(vertices, width, height)) {
    try {
      clipped = ClipToRing(vertices, width, height);
    } catch (const std::bad_alloc&) {
      return kErrorOutOfMemory;
    }
    vertices = clipped;
  }
  const auto drawEdge = [&](const MaskVertex& a, const MaskVertex& b) {
    WalkSegment(std::int64_t(a.x) + kPolygonMargin, std::int64_t(a.y) + kPolygonMargin,
                std::int64_t(b.x) + kPolygonMargin, std::int64_t(b.y) + kPolygonMargin, gridWidth, gridHeight,
                [&](std::int64_t x, std::int64_t y) { grid[std::size_t(y * gridWidth + x)] = 0; });
  };
  for (std::size_t i = 1; i < vertices.size(); ++i) drawEdge(vertices[i - 1], vertices[i]);
  if (!vertices.empty()) drawEdge(vertices.back(), vertices.front());
  int count = 0;
  const int labelled = LabelRegions(int(gridWidth), int(gridHeight), kFourConnected, grid.data(), count);
  if (labelled == kLabelOutOfMemory) return kErrorOutOfMemory;
  if (labelled != kLabelOk) return kLabelTooManyRegions;
  const std::uint16_t outside = grid[0];
  const std::uint8_t value = mode == PolygonMode::kErase || mode == PolygonMode::kOutline ? 255 : 0;
  const bool fillOutside = mode == PolygonMode::kNotMask;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = target.Row(y);
    const std::uint16_t* cells =
        grid.data() + std::size_t(y + kPolygonMargin) * std::size_t(gridWidth) + kPolygonMargin;
    for (int x = 0; x < width; ++x)
      if ((cells[x] == outside) == fillOutside) row[x] = value;
  }
  return 0;
}

void RemoveSelectionPreview(CLayerStack& stack) {
  if (CLayer* preview = stack.FindLayer(LoadText(kMaskPreviewLayerName))) stack.RemoveLayer(preview);
}

int DeleteMask(CWorkspace& workspace) {
  CLayer* mask = workspace.layerStack.FindLayer(LoadText(kMaskLayerName));
  if (!mask) return kMaskNothingToDo;
  workspace.layerStack.RemoveLayer(mask);
  if (workspace.params.UseMask) {
    workspace.params.UseMask = false;
    workspace.results.ClearDerivedResults(&workspace.layerStack);
    workspace.UpdateCalcPanel();
  }
  return 0;
}

}  // namespace linea

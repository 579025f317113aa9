#pragma once
// The workspace's ordered list of layers, which it owns, and the picture composed
// from the visible ones. List order is the order of the layers bar; layers are
// unique by name.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "base/app_host.h"
#include "imaging/image.h"
#include "layers/drawing_overlay.h"
#include "layers/layer.h"

namespace linea {

// What composition needs from the workspace: the project's size and its line-width
// settings (the automatic switch and `lineWidth`).
struct CompositionSettings {
  int imageWidth = 0;
  int imageHeight = 0;
  bool lineWidthScaling = true;
  int lineWidth = 1;
};

// The palette key while the palette panel is hidden.
inline constexpr std::uint32_t kNoPaletteKey = 0xFFFFFFFF;

class CLayerStack {
 public:
  // Layers-bar refreshes, the new-document step, the cursor readout, the palette
  // panel and display failures go to `host`, which must outlive the stack.
  explicit CLayerStack(CAppHost& host);
  ~CLayerStack();
  CLayerStack(const CLayerStack&) = delete;
  CLayerStack& operator=(const CLayerStack&) = delete;

  void SetHost(CAppHost& host) { host_ = &host; }

  int LayerCount() const { return int(layers_.size()); }
  CLayer* LayerAt(int index) const { return layers_[std::size_t(index)].get(); }

  // Exact, case-sensitive; the first match in list order, or -1 / null.
  int FindIndex(std::string_view name) const;
  CLayer* FindLayer(std::string_view name) const;

  // Takes ownership and appends the layer. A layer of the same name is deleted and
  // replaced (the new one becomes current if the old one was); a visible bitmap or
  // raster layer hides every other visible one. Returns the layer, null for null.
  CLayer* AddLayer(std::unique_ptr<CLayer> layer);
  // Deletes the layer as the user does. Deleting the last layer is the new-document
  // step, asked first (the save-changes question): when the user cancels it every
  // layer stays and the result is false. Otherwise a visible layer's removal marks
  // the first remaining one changed. False when the layer is not in the stack.
  bool RemoveLayer(CLayer* layer);
  // Deletes the layer and nothing else: the project goes on even when no layer is
  // left (derived layers dropped because their results were cleared). False when
  // the layer is not in the stack.
  bool DropLayer(CLayer* layer);
  // Deletes every layer and frees the composition image.
  void ClearLayers();
  bool AnyChanged() const;

  CLayer* GetCurrentLayer() const { return currentLayer_; }
  // A layer that is not in the stack is not stored (the current layer becomes none).
  void SetCurrentLayer(CLayer* layer);

  // Draws a CVectorLayer3 last among the others: moved to the end of the list when
  // the stack holds at least two of them. False when nothing was done.
  bool MoveToEnd(CLayer* layer);

  // Composes the visible layers into the composition image when some layer is
  // marked changed: the first visible bitmap or raster layer, then the visible
  // vector and band layers, then the CVectorLayer3 layers, each group in list order.
  // False when the picture could not be made; the host has then been told.
  bool ComposeLayers(const CompositionSettings& settings);
  // The 24-bit picture, project width by project height, row 0 at the top.
  const CImage& CompositionImage() const { return composition_; }
  // The drawings' pixels as the last composition used them.
  const CDrawingOverlay& DrawingOverlay() const { return drawingOverlay_; }

  // Display state. The zoom is screen pixels per image pixel.
  double GetZoom() const { return zoom_; }
  double GetPreviousZoom() const { return previousZoom_; }
  // The zoom part of a zoom change; scrolling to keep the centre is the view's.
  // Ignored (false) when a scaled side of the composition image would exceed
  // 2147483647 pixels or the zoom is not positive. A zoom below 1 marks every
  // CVectorLayer3 changed, since their line widths depend on it.
  bool SetZoom(double zoom);
  int GetOffsetX() const { return offsetX_; }
  int GetOffsetY() const { return offsetY_; }
  void SetOffsets(int x, int y) {
    offsetX_ = x;
    offsetY_ = y;
  }
  std::uint32_t GetPaletteKey() const { return paletteKey_; }

  // The layers the composition draws, in its order: the first visible bitmap or
  // raster layer, the visible vector and band layers, then the CVectorLayer3 layers.
  std::vector<CLayer*> CollectVisible() const;

 private:
  void UpdatePalettePanel(const std::vector<CLayer*>& composed);
  // Makes sure the picture has the size; `fresh` tells whether it was just made (black).
  bool PrepareComposition(int width, int height, bool& fresh);

  CAppHost* host_;
  std::vector<std::unique_ptr<CLayer>> layers_;
  CLayer* currentLayer_ = nullptr;
  double zoom_ = 1.0;
  double previousZoom_ = 1.0;
  int offsetX_ = 0;
  int offsetY_ = 0;
  std::uint32_t paletteKey_ = kNoPaletteKey;
  // What the palette panel was last given; none while it is hidden.
  std::optional<PalettePanelContents> palettePanelShown_;
  CImage composition_;
  // The visible drawings rasterised once they stay unchanged, painted at every composition.
  CDrawingOverlay drawingOverlay_;
};

}  // namespace linea

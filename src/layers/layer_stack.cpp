#include "layers/layer_stack.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "layers/bitmap_layer.h"
#include "layers/palette_legend.h"
#include "layers/raster_layer.h"
#include "layers/vector_layer3.h"

namespace linea {

namespace {

bool IsBaseKind(int kind) { return kind == kLayerKindBitmap || kind == kLayerKindRaster; }

// Bytes of the picture composed at a time: a strip that stays in the cache while
// every layer paints into it.
constexpr std::size_t kStripBytes = 128 * 1024;

// Largest scaled side the display can stretch to.
constexpr double kMaxScaledSide = 2147483647.0;

}  // namespace

CLayerStack::CLayerStack(CAppHost& host) : host_(&host) {}

CLayerStack::~CLayerStack() = default;

int CLayerStack::FindIndex(std::string_view name) const {
  for (std::size_t i = 0; i < layers_.size(); ++i)
    if (layers_[i]->GetName() == name) return int(i);
  return -1;
}

CLayer* CLayerStack::FindLayer(std::string_view name) const {
  const int index = FindIndex(name);
  return index < 0 ? nullptr : layers_[std::size_t(index)].get();
}

CLayer* CLayerStack::AddLayer(std::unique_ptr<CLayer> layer) {
  if (!layer) return nullptr;
  try {
    layers_.reserve(layers_.size() + 1);
  } catch (const std::bad_alloc&) {
    return nullptr;  // the layer is discarded, the stack is unchanged
  }
  bool becomesCurrent = false;
  const int existing = FindIndex(layer->GetName());
  if (existing >= 0) {
    if (layers_[std::size_t(existing)].get() == currentLayer_) {
      currentLayer_ = nullptr;
      becomesCurrent = true;
    }
    layers_.erase(layers_.begin() + existing);
  }
  // At most one bitmap or raster layer is visible: the base of the picture.
  if (IsBaseKind(layer->GetKind()) && layer->IsVisible()) {
    for (auto& other : layers_) {
      if (IsBaseKind(other->GetKind()) && other->IsVisible()) {
        other->MarkChanged();
        other->SetVisible(false);
      }
    }
  }
  CLayer* added = layer.get();
  layers_.push_back(std::move(layer));
  // The overlay knows drawings by address; a new layer may take a deleted one's.
  drawingOverlay_.Clear();
  if (becomesCurrent) currentLayer_ = added;
  host_->RefreshLayersBar();
  return added;
}

bool CLayerStack::RemoveLayer(CLayer* layer) {
  const auto owns = [&](const auto& owned) { return owned.get() == layer; };
  if (std::find_if(layers_.begin(), layers_.end(), owns) == layers_.end()) return false;
  if (layers_.size() > 1) return DropLayer(layer);
  // The last layer: the project ends with it, so the user is asked before anything
  // is lost. The new-document step may empty the stack itself (the reset); the
  // pointer is only compared, never followed, after it.
  if (!host_->RunNewDocument()) return false;
  auto it = std::find_if(layers_.begin(), layers_.end(), owns);
  if (it != layers_.end()) {
    if (layer == currentLayer_) currentLayer_ = nullptr;
    layers_.erase(it);
    drawingOverlay_.Clear();
  }
  host_->RefreshLayersBar();
  return true;
}

bool CLayerStack::DropLayer(CLayer* layer) {
  auto it = std::find_if(layers_.begin(), layers_.end(), [&](const auto& owned) { return owned.get() == layer; });
  if (it == layers_.end()) return false;
  if (layer == currentLayer_) currentLayer_ = nullptr;
  const bool wasVisible = layer->IsVisible();
  layers_.erase(it);
  drawingOverlay_.Clear();
  if (wasVisible && !layers_.empty()) layers_.front()->MarkChanged();  // so that the next paint composes without it
  host_->RefreshLayersBar();
  return true;
}

void CLayerStack::ClearLayers() {
  currentLayer_ = nullptr;
  layers_.clear();
  composition_.DeleteObject();
  drawingOverlay_.Clear();
  host_->RefreshLayersBar();
}

bool CLayerStack::AnyChanged() const {
  return std::any_of(layers_.begin(), layers_.end(), [](const auto& layer) { return layer->IsChanged(); });
}

void CLayerStack::SetCurrentLayer(CLayer* layer) {
  const bool owned =
      std::any_of(layers_.begin(), layers_.end(), [&](const auto& candidate) { return candidate.get() == layer; });
  currentLayer_ = owned ? layer : nullptr;
  host_->RefreshCursorReadout();
}

bool CLayerStack::MoveToEnd(CLayer* layer) {
  auto it = std::find_if(layers_.begin(), layers_.end(), [&](const auto& owned) { return owned.get() == layer; });
  if (it == layers_.end() || layer->GetKind() != kLayerKindVector3) return false;
  const auto drawings = std::count_if(layers_.begin(), layers_.end(),
                                      [](const auto& l) { return l->GetKind() == kLayerKindVector3; });
  if (drawings < 2) return false;
  std::rotate(it, it + 1, layers_.end());
  layer->MarkChanged();
  host_->RefreshLayersBar();
  return true;
}

std::vector<CLayer*> CLayerStack::CollectVisible() const {
  std::vector<CLayer*> collected;
  for (const auto& layer : layers_) {
    if (IsBaseKind(layer->GetKind()) && layer->IsVisible()) {
      collected.push_back(layer.get());
      break;
    }
  }
  for (const auto& layer : layers_) {
    const int kind = layer->GetKind();
    if ((kind == kLayerKindVector || kind == kLayerKindBand) && layer->IsVisible()) collected.push_back(layer.get());
  }
  for (const auto& layer : layers_)
    if (layer->GetKind() == kLayerKindVector3 && layer->IsVisible()) collected.push_back(layer.get());
  return collected;
}

void CLayerStack::UpdatePalettePanel(const std::vector<CLayer*>& composed) {
  const CLayer* first = composed.empty() ? nullptr : composed.front();
  const auto* raster =
      first != nullptr && first->GetKind() == kLayerKindRaster ? dynamic_cast<const CRasterLayer*>(first) : nullptr;
  auto contents = MakePalettePanelContents(raster, composed);
  if (!contents) {
    host_->HidePalettePanel();
    paletteKey_ = kNoPaletteKey;
    palettePanelShown_.reset();
    return;
  }
  paletteKey_ = raster != nullptr ? raster->PaletteKey() : kNoPaletteKey;
  // Compared by what the panel would show, so that a grey palette or a recolouring
  // with the same number of steps reaches the panel too.
  if (palettePanelShown_ && *palettePanelShown_ == *contents) return;
  host_->ShowPalettePanel(*contents);
  palettePanelShown_ = std::move(contents);
}

bool CLayerStack::PrepareComposition(int width, int height, bool& fresh) {
  fresh = false;
  if (width <= 0 || height <= 0) return false;
  if (composition_.GetWidth() == width && composition_.GetHeight() == height &&
      composition_.GetBitsPerPixel() == 24 && !composition_.IsEmpty())
    return true;
  composition_.DeleteObject();  // the old picture is stale; free it before asking for more
  fresh = composition_.Create(width, height, 24);
  return fresh;
}

bool CLayerStack::ComposeLayers(const CompositionSettings& settings) {
  if (!AnyChanged()) return true;
  const std::vector<CLayer*> collected = CollectVisible();
  // A visible drawing marked changed is rasterised again whatever its revision says.
  const bool drawingMarked = std::any_of(collected.begin(), collected.end(), [](const CLayer* layer) {
    return layer->GetKind() == kLayerKindVector3 && layer->IsChanged();
  });
  for (auto& layer : layers_) layer->ClearChanged();

  UpdatePalettePanel(collected);

  const int width = settings.imageWidth, height = settings.imageHeight;
  if (collected.empty()) {
    drawingOverlay_.Clear();
    if (width <= 0 || height <= 0) {
      composition_.DeleteObject();  // a project without an image shows nothing
      return true;
    }
    bool fresh = false;
    if (!PrepareComposition(width, height, fresh)) {
      host_->PostDisplayFailure();
      return false;
    }
    std::memset(composition_.GetBits(), 0xFF, std::size_t(composition_.GetBytesPerLine()) * std::size_t(height));
    return true;
  }

  bool covered = false;
  if (IsBaseKind(collected.front()->GetKind())) {
    if (const auto* base = dynamic_cast<const CBitmapLayer*>(collected.front())) {
      const CImage& image = base->Image();
      covered = !base->IsTransparent() && (image.GetBitsPerPixel() == 8 || image.GetBitsPerPixel() == 24) &&
                image.GetWidth() >= width && image.GetHeight() >= height;
    }
  }
  bool fresh = false;
  bool ok = PrepareComposition(width, height, fresh);
  std::vector<CLayer*> firstPass;
  std::vector<const CVectorLayer3*> drawings;
  bool allDrawings = true;  // every layer of the second pass is a CVectorLayer3
  for (CLayer* layer : collected) {
    const int kind = layer->GetKind();
    if (kind != kLayerKindCursor && kind != kLayerKindVector3) {
      firstPass.push_back(layer);
    } else if (const auto* drawing = dynamic_cast<const CVectorLayer3*>(layer)) {
      drawings.push_back(drawing);
    } else {
      allDrawings = false;
    }
  }
  const LineWidthScaling scaling{settings.lineWidthScaling, settings.lineWidth, zoom_};
  // The drawings replace pixels whatever lies under them, so their cached pixels can
  // be painted into each strip right after the raster layers.
  if (drawings.empty()) drawingOverlay_.Clear();  // nothing to keep while no drawing shows
  const bool overlaid =
      ok && allDrawings && !drawings.empty() && drawingOverlay_.Update(drawings, scaling, width, height, drawingMarked);
  // The first pass goes strip by strip, every layer in turn, so that the layers
  // after the base find the strip still in the cache. Each pixel sees the layers
  // in the same order as when every layer paints the whole picture in turn.
  const std::size_t stride = std::size_t(composition_.GetBytesPerLine());
  const int stripRows = ok ? std::max(1, int(kStripBytes / stride)) : 0;
  for (int top = 0; ok && top < height; top += stripRows) {
    const int bottom = std::min(height, top + stripRows);
    // A reused picture starts black like a new one, unless the base covers it.
    if (!fresh && !covered) std::memset(composition_.Row(top), 0, stride * std::size_t(bottom - top));
    for (std::size_t i = 0; ok && i < firstPass.size(); ++i) ok = firstPass[i]->DrawOnImageRows(composition_, top, bottom);
    if (ok && overlaid) drawingOverlay_.PaintRows(composition_, top, bottom);
  }
  for (std::size_t i = 0; ok && !overlaid && i < collected.size(); ++i) {
    const int kind = collected[i]->GetKind();
    if (kind == kLayerKindCursor || kind == kLayerKindVector3) ok = collected[i]->DrawOverImage(composition_, scaling);
  }
  if (!ok) host_->PostDisplayFailure();
  return ok;
}

bool CLayerStack::SetZoom(double zoom) {
  if (!(zoom > 0.0)) return false;
  if (double(composition_.GetWidth()) * zoom > kMaxScaledSide || double(composition_.GetHeight()) * zoom > kMaxScaledSide)
    return false;
  previousZoom_ = zoom_;
  zoom_ = zoom;
  if (zoom < 1.0)
    for (auto& layer : layers_)
      if (layer->GetKind() == kLayerKindVector3) layer->MarkChanged();
  return true;
}

}  // namespace linea

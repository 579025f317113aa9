#include "layers/raster_import.h"

#include <array>
#include <memory>

#include "base/messages.h"
#include "base/paths.h"
#include "base/string_table.h"
#include "layers/band_layer.h"
#include "layers/bitmap_layer.h"
#include "layers/layer_stack.h"
#include "layers/vector_layer.h"

namespace linea {
namespace {

constexpr int kCannotLoadImage = 32839;
constexpr int kOpenError = 32802;
constexpr int kNotEightBits = 32828;
constexpr int kSizeMismatchProject = 32804;

void ReportOpenError(CAppHost& host, const std::string& path) {
  ShowError(host, LoadText(kCannotLoadImage), FormatText(LoadText(kOpenError).c_str(), path.c_str()));
}

struct Palette {
  std::array<std::uint8_t, 256> red{}, green{}, blue{}, used{};
};

Palette GreyPalette() {
  Palette p;
  for (int i = 0; i < 256; ++i) {
    p.red[i] = p.green[i] = p.blue[i] = std::uint8_t(i);
    p.used[i] = 1;
  }
  return p;
}

Palette SchemePalette() {
  Palette p;
  for (int i = 0; i < 256; ++i) {
    std::uint8_t v = i == 0 ? 0 : 255;
    p.red[i] = p.green[i] = p.blue[i] = v;
    p.used[i] = 1;
  }
  return p;
}

void ApplyPalette(CBitmapLayer& layer, const Palette& p) { layer.SetPalette(p.red, p.green, p.blue, p.used, 256); }

// Loads an 8-bit image file into `layer`; false after showing the message.
bool LoadEightBit(CAppHost& host, CBitmapLayer& layer, const std::string& path) {
  if (!layer.Load(ToNativePath(path))) {
    ShowError(host, LoadText(kCannotLoadImage));
    return false;
  }
  if (layer.Image().GetBitsPerPixel() != 8) {
    ShowError(host, LoadText(kNotEightBits));
    return false;
  }
  return true;
}

bool MatchesProject(CAppHost& host, const CBitmapLayer& layer, ProjectSize project) {
  if (std::uint32_t(layer.GetWidth()) != project.width || std::uint32_t(layer.GetHeight()) != project.height) {
    ShowError(host, LoadText(kCannotLoadImage), LoadText(kSizeMismatchProject));
    return false;
  }
  return true;
}

bool IsRawOrGrid(const std::string& path) {
  std::string ext = ExtensionPart(path);
  return EqualsNoCase(ext, ".raw") || EqualsNoCase(ext, ".grd");
}

}  // namespace

const char* ImageTypeName(int imageType) {
  switch (imageType) {
    case kImageTypeGreyscale: return "GREYSCALE";
    case kImageTypeScheme: return "LINE";
    case kImageTypeElevation: return "DTM";
    default: return "Undefined";
  }
}

int OpenBaseImage(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
                  int imageType, int width, int height, int bytesPerSample, BaseRasterInfo& info) {
  // Raw samples and elevation grids are read by their own readers.
  if (imageType == kImageTypeElevation || IsRawOrGrid(path)) {
    ReportOpenError(host, path);
    return 1;
  }
  auto layer = std::make_unique<CBitmapLayer>(name, false);
  if (!LoadEightBit(host, *layer, path)) return 1;
  ApplyPalette(*layer, imageType == kImageTypeScheme ? SchemePalette() : GreyPalette());
  info.width = std::uint32_t(layer->GetWidth());
  info.height = std::uint32_t(layer->GetHeight());
  info.imageType = std::uint8_t(imageType);
  info.bytesPerPixel = 1;
  layer->SetDescription(FormatText("%dx%dx%d %s %s", layer->GetWidth(), layer->GetHeight(), 8,
                                   ImageTypeName(imageType), FileNamePart(path).c_str()));
  stack.AddLayer(std::move(layer));
  return 0;
}

int OpenExtraRaster(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
                    bool view, ProjectSize project) {
  std::unique_ptr<CBitmapLayer> layer;
  if (view) layer = std::make_unique<CBitmapLayer>(name, true);
  else layer = std::make_unique<CVectorLayer>(name, true);
  if (!layer->Load(ToNativePath(path))) {
    ShowError(host, LoadText(kCannotLoadImage));
    return 1;
  }
  if (!MatchesProject(host, *layer, project)) return 1;
  stack.AddLayer(std::move(layer));
  return 0;
}

int OpenMask(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
             ProjectSize project) {
  auto layer = std::make_unique<CExtremumLayer>(name, false);
  if (!LoadEightBit(host, *layer, path) || !MatchesProject(host, *layer, project)) return 1;
  stack.AddLayer(std::move(layer));
  return 0;
}

int OpenBlocks(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
               int blocksImageType, ProjectSize project) {
  auto layer = std::make_unique<CVectorLayer>(name, false);
  if (!LoadEightBit(host, *layer, path) || !MatchesProject(host, *layer, project)) return 1;
  ApplyPalette(*layer, GreyPalette());
  stack.AddLayer(std::move(layer));
  return 0;
}

}  // namespace linea

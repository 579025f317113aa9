#include "layers/raster_import.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <span>

#include "base/binary_io.h"
#include "base/checked_alloc.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/real_text.h"
#include "base/string_table.h"
#include "geo/gdal_raster.h"
#include "imaging/image_codecs.h"
#include "layers/band_layer.h"
#include "layers/bitmap_layer.h"
#include "layers/elevation_model.h"
#include "layers/layer_stack.h"
#include "layers/region_labelling.h"
#include "layers/vector_layer.h"

namespace linea {
namespace {

constexpr int kCannotLoadImage = 32839;
constexpr int kSizeMismatchParameters = 32800;
constexpr int kOutOfMemory = 32801;
constexpr int kOpenError = 32802;
constexpr int kNoMemoryForLayer = 32803;
constexpr int kSizeMismatchProject = 32804;
constexpr int kNotEightBits = 32828;
constexpr int kMaskDescription = 167;

// Surfer's value of a blank grid cell (1.70141e+38); anything from it upwards is blank.
constexpr double kGridBlank = 1.7014e38;
// Grid heights are spread over 0..63999.
constexpr double kGridScaleTop = 63999.0;
// Side files are small texts; anything larger is not one.
constexpr std::uint64_t kMaxSideFileBytes = std::uint64_t(16) << 20;

// Blocks of a borders raster and of a mask outside the mask.
constexpr std::uint8_t kBorderValue = 255;

// The one message of a failed import: "Не удается загрузить изображение." and its reason.
void Fail(CAppHost& host, const std::string& detail = {}) { ShowError(host, LoadText(kCannotLoadImage), detail); }
void Fail(CAppHost& host, int detailId) { Fail(host, LoadText(detailId)); }
void FailOpen(CAppHost& host, const std::string& path) {
  Fail(host, FormatText(LoadText(kOpenError).c_str(), path.c_str()));
}

bool HasExtension(const std::string& path, std::string_view extension) {
  return EqualsNoCase(ExtensionPart(path), extension);
}
bool IsRawPath(const std::string& path) { return HasExtension(path, ".raw"); }
bool IsGridPath(const std::string& path) {
  // The last four characters, whatever the file name looks like.
  return path.size() >= 4 && EqualsNoCase(std::string_view(path).substr(path.size() - 4), ".grd");
}
bool IsTiffPath(const std::string& path) { return HasExtension(path, ".tif") || HasExtension(path, ".tiff"); }

template <typename Layer>
std::unique_ptr<Layer> MakeLayer(const std::string& name, bool deletable) {
  return std::unique_ptr<Layer>(new (std::nothrow) Layer(name, deletable));
}

bool CreateImage(CBitmapLayer& layer, int width, int height, std::span<const std::uint8_t> pixels,
                 const PaletteTables& palette) {
  return layer.CreateFromPixels(width, height, 8, pixels, palette.red, palette.green, palette.blue, palette.used,
                                256);
}

void ApplyPalette(CBitmapLayer& layer, const PaletteTables& palette) {
  layer.SetPalette(palette.red, palette.green, palette.blue, palette.used, 256);
}

// 16-bit little-endian samples of a raw file.
// `progress` (when given) hears the fraction done between slices; false stops the
// conversion with the samples partly written and `stopped` set.
bool SamplesOfRaw(const std::vector<std::uint8_t>& data, std::uint64_t count, std::vector<std::uint16_t>& samples,
                  const std::function<bool(double)>& progress = nullptr, bool* stopped = nullptr) {
  if (data.size() / 2 < count || !TryResize(samples, count)) return false;
  constexpr std::size_t kSlice = std::size_t(1) << 14;
  const std::size_t total = samples.size();
  for (std::size_t begin = 0; begin < total; begin += kSlice) {
    if (progress && !progress(double(begin) / double(total))) {
      if (stopped) *stopped = true;
      return false;
    }
    const std::size_t end = std::min(total, begin + kSlice);
    for (std::size_t i = begin; i < end; ++i) samples[i] = GetLE16(data.data() + 2 * i);
  }
  return true;
}

// The display image of 16-bit samples; samples all of one height give an image of 0.
bool GrayOfSamples(const std::vector<std::uint16_t>& samples, std::vector<std::uint8_t>& gray) {
  if (!TryResize(gray, samples.size())) return false;
  HeightsToGray(samples, gray);
  return true;
}

bool MatchesProject(int width, int height, ProjectSize project) {
  return std::uint32_t(width) == project.width && std::uint32_t(height) == project.height;
}

// The words of a text, separated by white space.
class CWordReader {
 public:
  explicit CWordReader(std::string_view text) : text_(text) {}
  bool Next(std::string_view& word) {
    while (position_ < text_.size() && IsBlank(text_[position_])) ++position_;
    if (position_ >= text_.size()) return false;
    const std::size_t start = position_;
    while (position_ < text_.size() && !IsBlank(text_[position_])) ++position_;
    word = text_.substr(start, position_ - start);
    return true;
  }
  // The next word as a real; false at the end or on a word that is not a number.
  bool NextReal(double& value) {
    // Grids hold millions of plain numbers: those are read in one pass.
    while (position_ < text_.size() && IsBlank(text_[position_])) ++position_;
    const std::size_t used = ParsePlainReal(text_.substr(position_), value);
    if (used > 0 && (position_ + used == text_.size() || IsBlank(text_[position_ + used]))) {
      position_ += used;
      return true;
    }
    std::string_view word;
    return Next(word) && ParseReal(word, value);
  }
  // Up to `count` more words as reals into `values`; how many were read (fewer at the
  // end or at a word that is not a number).
  std::size_t NextReals(double* values, std::size_t count) { return ParseReals(text_, position_, values, count); }
  std::size_t Remaining() const { return text_.size() - position_; }

 private:
  static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
  std::string_view text_;
  std::size_t position_ = 0;
};

bool ReadSideFile(const std::string& path, std::string& text) {
  std::vector<std::uint8_t> bytes;
  if (ReadFileBytes(ToNativePath(path), bytes, kMaxSideFileBytes) != ReadFileResult::Ok) return false;
  text.assign(bytes.begin(), bytes.end());
  return true;
}

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::path(ToNativePath(path)), error);
}

// Where the georeference of a non-grid raster comes from: its world file (any of
// the names GIS tools write), else what GDAL finds in the file (GeoTIFF tags, ...).
// The CRS is GDAL's either way. Left as it was when there is neither. Raw files are
// not shown to GDAL: their bytes are no format.
void ReadImageGeoreference(const std::string& path, int width, int height, Georeference& georeference,
                           const Georeference* fromFile = nullptr) {
  Georeference gdal;
  bool gdalPlaces = false;
  if (fromFile) {
    gdal = *fromFile;
    gdalPlaces = fromFile->known;
  } else if (!IsRawPath(path)) {
    gdalPlaces = ReadRasterGeoreference(path, gdal);
  }
  const std::string world = FindWorldFile(path);
  Georeference placed = georeference;
  if (!world.empty() && ReadWorldFile(world, width, height, placed)) {
    if (!gdal.crsWkt.empty()) placed.crsWkt = gdal.crsWkt;
    georeference = placed;
    return;
  }
  if (gdalPlaces) georeference = gdal;
}

// The detail of a file GDAL could not read: the file's name and GDAL's reason.
void FailGdal(CAppHost& host, const std::string& path, GeoReadResult result, const std::string& reason) {
  if (result == GeoReadResult::OutOfMemory) {
    Fail(host, kOutOfMemory);
    return;
  }
  std::string detail = FormatText(LoadText(kOpenError).c_str(), path.c_str());
  if (!reason.empty()) detail += " " + reason;
  Fail(host, detail);
}

// The first band of a file that only GDAL reads; false, with the message shown,
// when GDAL cannot give it.
bool ReadFirstGdalBand(CAppHost& host, const std::string& path, RasterBandData& band) {
  std::string reason;
  const GeoReadResult result = ReadRasterBand(path, 1, band, reason);
  if (result == GeoReadResult::Ok) return true;
  FailGdal(host, path, result, reason);
  return false;
}

// Extensions that only GDAL reads here: a file of them that GDAL refuses is not
// taken for a raw file.
bool IsGdalOnlyPath(const std::string& path) {
  return IsTiffPath(path) || HasExtension(path, ".hgt") || HasExtension(path, ".img") ||
         HasExtension(path, ".asc") || HasExtension(path, ".bil") || HasExtension(path, ".vrt");
}

// Whether GDAL reads a raster our own codecs refused. Not for the formats whose every
// useful variant the codecs read: GDAL would take a truncated JPEG or PNG with a
// warning and show whatever it got. TIFF files may hold 16-bit, 32-bit or floating
// samples that only GDAL reads.
bool GdalMayRead(const std::string& path) {
  for (const char* own : {".jpg", ".jif", ".jpeg", ".gif", ".png", ".bmp", ".pcx", ".tga"})
    if (HasExtension(path, own)) return false;
  return true;
}

// Grey levels of a band read by GDAL: 8-bit samples as they are, UInt16 reduced like
// the samples of a 16-bit raw file, anything else spread over 16 bits first.
bool GrayOfBand(const RasterBandData& band, std::vector<std::uint8_t>& gray) {
  if (!TryResize(gray, band.samples.size())) return false;
  if (band.integerSamples && band.bitsPerSample == 8) {
    for (std::size_t i = 0; i < gray.size(); ++i) {
      const double v = band.samples[i];
      gray[i] = band.hasNodata && v == band.nodata ? 0 : std::uint8_t(std::clamp(v, 0.0, 255.0));
    }
    return true;
  }
  std::vector<std::uint16_t> samples;
  if (!TryResize(samples, band.samples.size())) return false;
  if (band.isUnsigned16) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
      const double v = band.samples[i];
      samples[i] = band.hasNodata && v == band.nodata ? 0 : std::uint16_t(std::clamp(v, 0.0, 65535.0));
    }
  } else {
    HeightsOfSamples(band.samples, band.hasNodata, band.nodata, samples);
  }
  HeightsToGray(samples, gray);
  return true;
}

void GeoreferenceOfGrid(const GridExtent& extent, int columns, int rows, Georeference& georeference) {
  // Grid nodes are cell centres: the picture reaches half a cell beyond them.
  if (columns < 2 || rows < 2) return;
  const double dx = (extent.xMax - extent.xMin) / (columns - 1);
  const double dy = -(extent.yMax - extent.yMin) / (rows - 1);
  georeference.known = true;
  georeference.pixelWidth = dx;
  georeference.pixelHeight = dy;
  georeference.left = extent.xMin - dx / 2;
  georeference.top = extent.yMax - dy / 2;
  georeference.right = extent.xMax + dx / 2;
  georeference.bottom = extent.yMin + dy / 2;
}

// The heights of an elevation model as one of its readers gave them.
struct ElevationSamples {
  int width = 0;
  int height = 0;
  int bytesPerSample = 2;
  std::vector<std::uint16_t> heights16;
  std::vector<std::uint8_t> heights8;  // raw models of one byte per sample
  // Raw models of two bytes per sample, little-endian, until OpenElevationModel
  // turns them into heights16 under its progress window.
  std::vector<std::uint8_t> raw16;
};

// The share of the progress window taken by reading and converting 16-bit heights,
// before the descent.
constexpr double kGrayShare = 0.2;

// The progress window of a 16-bit model's preparation ("Поиск склона"), opened at its
// first report (so that the questions and messages of reading come before it) and
// closed on every way out.
class CProgressWindowScope {
 public:
  explicit CProgressWindowScope(CAppHost& host) : host_(host) {}
  ~CProgressWindowScope() { Close(); }
  CProgressWindowScope(const CProgressWindowScope&) = delete;
  CProgressWindowScope& operator=(const CProgressWindowScope&) = delete;
  void Open() {
    if (!open_) host_.BeginProgress(LoadText(kSlopeTitleText), kDescentProgressRange);
    open_ = true;
  }
  // False once the user has cancelled.
  bool Set(double fraction) {
    Open();
    return host_.SetProgress(int(fraction * kDescentProgressRange));
  }
  // Before a message, so that it does not sit under the window.
  void Close() {
    if (open_) host_.EndProgress();
    open_ = false;
  }

 private:
  static constexpr int kSlopeTitleText = 152;
  CAppHost& host_;
  bool open_ = false;
};

// 0, 11 when the user cancelled (no message yet), or 1 after showing the message.
int ReadElevationSamples(CAppHost& host, const std::string& path, int width, int height, int bytesPerSample,
                         ElevationSamples& model, Georeference& georeference, CProgressWindowScope& window) {
  if (IsGridPath(path)) {
    GridExtent extent;
    const int code = ReadGrid(host, path, model.heights16, model.width, model.height, extent,
                              [&](double fraction) { return window.Set(fraction * kGrayShare / 2); });
    if (code == kErrorStopped) return code;
    if (code != 0) {
      window.Close();  // a message of a truncated grid came while it was open
      return 1;
    }
    GeoreferenceOfGrid(extent, model.width, model.height, georeference);
    return 0;
  }
  if (!IsRawPath(path)) {
    RasterBandData band;
    std::string reason;
    const GeoReadResult result = ReadRasterBand(path, 1, band, reason);
    if (result == GeoReadResult::Ok && band.colourBand) {
      Fail(host);  // a picture's colours are no heights
      return 1;
    }
    if (result == GeoReadResult::Ok) {
      if (!TryResize(model.heights16, band.samples.size())) {
        Fail(host, kOutOfMemory);
        return 1;
      }
      HeightsOfSamples(band.samples, band.hasNodata, band.nodata, model.heights16);
      model.width = band.width;
      model.height = band.height;
      model.bytesPerSample = 2;
      ReadImageGeoreference(path, model.width, model.height, georeference, &band.georeference);
      return 0;
    }
    // Models of headerless samples may have any extension.
    if (result != GeoReadResult::CannotOpen || IsGdalOnlyPath(path) || !IsRegularFile(path)) {
      FailGdal(host, path, result, reason);
      return 1;
    }
  }
  std::vector<std::uint8_t> data;
  model.width = width;
  model.height = height;
  model.bytesPerSample = bytesPerSample == 1 ? 1 : 2;
  if (ReadRaw(host, path, kImageTypeElevation, data, model.width, model.height, model.bytesPerSample) != 0) return 1;
  const std::uint64_t cells = std::uint64_t(model.width) * std::uint64_t(model.height);
  if (model.bytesPerSample == 1) {
    data.resize(std::size_t(cells));
    model.heights8.swap(data);
  } else if (data.size() / 2 < cells) {
    Fail(host, kSizeMismatchParameters);
    return 1;
  } else {
    model.raw16.swap(data);
  }
  ReadImageGeoreference(path, model.width, model.height, georeference);
  return 0;
}

// The base layer of an elevation model: the grey image of its heights (none when all
// heights are equal) and its descent grid.
int OpenElevationModel(CAppHost& host, const std::string& path, CBitmapLayer& layer, int width, int height,
                       int bytesPerSample, BaseRasterInfo& info) {
  ElevationSamples model;
  CProgressWindowScope window(host);
  if (const int code = ReadElevationSamples(host, path, width, height, bytesPerSample, model, info.georeference, window)) {
    if (code != kErrorStopped) return 1;
    window.Close();
    Fail(host);
    return kErrorStopped;
  }
  const PaletteTables grey = GreyPaletteTables();
  const std::uint64_t cells = std::uint64_t(model.width) * std::uint64_t(model.height);
  if (model.bytesPerSample == 1) {
    if (!CreateImage(layer, model.width, model.height, model.heights8, grey)) {
      Fail(host, kNoMemoryForLayer);
      return kErrorOutOfMemory;
    }
  } else {
    // On large models the grey conversion takes as long as a descent pass: it runs in
    // the descent's progress window (its first share), with the same Cancel, and
    // nothing joins the stack before the end.
    window.Open();
    double grayStart = 0.0;
    if (!model.raw16.empty()) {
      bool stopped = false;
      const bool converted = SamplesOfRaw(
          model.raw16, cells, model.heights16,
          [&](double fraction) { return window.Set(fraction * kGrayShare / 2); },
          &stopped);
      std::vector<std::uint8_t>().swap(model.raw16);
      if (!converted) {
        window.Close();
        if (stopped) Fail(host);
        else Fail(host, kOutOfMemory);
        return stopped ? int(kErrorStopped) : int(kErrorOutOfMemory);
      }
      grayStart = kGrayShare / 2;
    }
    if (IsGridPath(path)) grayStart = kGrayShare / 2;  // the grid's rows took the first half
    // Made after the raw bytes are gone: no more memory at once than before.
    std::vector<std::uint8_t> gray;
    if (!TryResize(gray, cells)) {
      window.Close();
      Fail(host, kOutOfMemory);
      return kErrorOutOfMemory;
    }
    // Heights all equal convert to nothing (7): the model is shown as one uniform
    // grey (level 0), so that the layer has an image to draw like any other.
    const int grayCode = HeightsToGray(model.heights16, gray, [&](double fraction) {
      return window.Set(grayStart + fraction * (kGrayShare - grayStart));
    });
    if (grayCode == kErrorStopped) {
      window.Close();
      Fail(host);
      return kErrorStopped;
    }
    if (!CreateImage(layer, model.width, model.height, gray, grey)) {
      window.Close();
      Fail(host, kNoMemoryForLayer);
      return kErrorOutOfMemory;
    }
    std::vector<std::uint8_t> descent;
    int code = TryResize(descent, cells) ? 0 : int(kErrorOutOfMemory);
    if (code == 0) code = ComputeDescent16Continuing(host, kGrayShare, model.width, model.height, model.heights16, descent);
    window.Close();
    if (code != 0) {
      Fail(host);
      return code;
    }
    info.descentGrid.swap(descent);
  }
  if (model.bytesPerSample == 1) {
    // The descent grid is made before the layer joins the stack, so that a failed or
    // cancelled computation leaves the stack as it was.
    std::vector<std::uint8_t> descent;
    int code = TryResize(descent, cells) ? 0 : int(kErrorOutOfMemory);
    if (code == 0) code = ComputeDescent8(host, model.width, model.height, model.heights8, descent);
    if (code != 0) {
      Fail(host);
      return code;
    }
    info.descentGrid.swap(descent);
  }
  info.width = std::uint32_t(model.width);
  info.height = std::uint32_t(model.height);
  info.bytesPerPixel = std::uint16_t(model.bytesPerSample);
  return 0;
}

// A greyscale or scheme raster from a raw file. 16-bit samples are reduced to grey
// levels like the heights of an elevation model: their low and high bytes are no picture.
int OpenRawPicture(CAppHost& host, const std::string& path, CBitmapLayer& layer, int imageType, int width,
                   int height, int bytesPerSample, const PaletteTables& palette, BaseRasterInfo& info) {
  std::vector<std::uint8_t> data;
  int bytes = bytesPerSample == 2 ? 2 : 1;
  if (ReadRaw(host, path, imageType, data, width, height, bytes) != 0) return 1;
  const std::uint64_t cells = std::uint64_t(width) * std::uint64_t(height);
  if (bytes == 2) {
    std::vector<std::uint16_t> samples;
    std::vector<std::uint8_t> gray;
    if (!SamplesOfRaw(data, cells, samples) || !GrayOfSamples(samples, gray)) {
      Fail(host, kOutOfMemory);
      return kErrorOutOfMemory;
    }
    data.swap(gray);
  }
  if (!CreateImage(layer, width, height, data, palette)) {
    Fail(host, kNoMemoryForLayer);
    return kErrorOutOfMemory;
  }
  info.width = std::uint32_t(width);
  info.height = std::uint32_t(height);
  info.bytesPerPixel = std::uint16_t(bytes);
  ReadImageGeoreference(path, width, height, info.georeference);
  return 0;
}

// A greyscale or scheme raster that only GDAL reads: its first band in grey levels.
int OpenGdalPicture(CAppHost& host, const std::string& path, CBitmapLayer& layer, const PaletteTables& palette,
                    BaseRasterInfo& info) {
  RasterBandData band;
  if (!ReadFirstGdalBand(host, path, band)) return 1;
  std::vector<std::uint8_t> gray;
  if (!GrayOfBand(band, gray)) {
    Fail(host, kOutOfMemory);
    return kErrorOutOfMemory;
  }
  if (!CreateImage(layer, band.width, band.height, gray, palette)) {
    Fail(host, kNoMemoryForLayer);
    return kErrorOutOfMemory;
  }
  info.width = std::uint32_t(band.width);
  info.height = std::uint32_t(band.height);
  info.bytesPerPixel = std::uint16_t(band.integerSamples && band.bitsPerSample == 8 ? 1 : 2);
  ReadImageGeoreference(path, band.width, band.height, info.georeference, &band.georeference);
  return 0;
}

// How an overlay raster (view, transparent, mask, blocks) may look.
struct OverlayRules {
  bool sixteenBit;   // 16-bit raw samples are reduced to grey levels
  bool trueColour;   // 24-bit images are taken
  const PaletteTables& rawPalette;
};

// An overlay that only GDAL reads: its first band in grey levels; more than 8 bits
// only where 16-bit raw samples are taken.
int ReadGdalOverlay(CAppHost& host, const std::string& path, CBitmapLayer& layer, ProjectSize project,
                    const OverlayRules& rules) {
  RasterBandData band;
  if (!ReadFirstGdalBand(host, path, band)) return 1;
  if (!(band.integerSamples && band.bitsPerSample == 8) && !rules.sixteenBit) {
    ShowError(host, LoadText(kNotEightBits));
    return 1;
  }
  if (!MatchesProject(band.width, band.height, project)) {
    Fail(host, kSizeMismatchProject);
    return 1;
  }
  std::vector<std::uint8_t> gray;
  if (!GrayOfBand(band, gray)) {
    Fail(host, kOutOfMemory);
    return kErrorOutOfMemory;
  }
  if (!CreateImage(layer, band.width, band.height, gray, rules.rawPalette)) {
    Fail(host, kNoMemoryForLayer);
    return kErrorOutOfMemory;
  }
  return 0;
}

// Reads an overlay raster into `layer`, checked against the project's size.
// 0, 1 after a message, 3 when the image cannot be made.
int ReadOverlay(CAppHost& host, const std::string& path, CBitmapLayer& layer, ProjectSize project,
                const OverlayRules& rules) {
  if (IsRawPath(path)) {
    std::vector<std::uint8_t> data;
    int width = int(project.width), height = int(project.height), bytes = 1;
    if (ReadRaw(host, path, kImageTypeNone, data, width, height, bytes) != 0) return 1;
    if (bytes == 2) {
      if (!rules.sixteenBit) {
        ShowError(host, LoadText(kNotEightBits));
        return 1;
      }
      std::vector<std::uint16_t> samples;
      std::vector<std::uint8_t> gray;
      if (!SamplesOfRaw(data, std::uint64_t(width) * std::uint64_t(height), samples) ||
          !GrayOfSamples(samples, gray)) {
        Fail(host, kOutOfMemory);
        return kErrorOutOfMemory;
      }
      data.swap(gray);
    }
    if (!MatchesProject(width, height, project)) {
      Fail(host, kSizeMismatchProject);
      return 1;
    }
    if (!CreateImage(layer, width, height, data, rules.rawPalette)) {
      Fail(host, kNoMemoryForLayer);
      return kErrorOutOfMemory;
    }
    return 0;
  }
  if (!layer.Load(ToNativePath(path))) {
    if (GdalMayRead(path)) return ReadGdalOverlay(host, path, layer, project, rules);
    Fail(host);
    return 1;
  }
  if (!MatchesProject(layer.GetWidth(), layer.GetHeight(), project)) {
    Fail(host, kSizeMismatchProject);
    return 1;
  }
  const int bits = layer.Image().GetBitsPerPixel();
  if (bits != 8 && !(rules.trueColour && bits == 24)) {
    ShowError(host, LoadText(kNotEightBits));
    return 1;
  }
  return 0;
}

std::string OverlayDescription(const std::string& path, const CBitmapLayer& layer) {
  std::string text;
  if (ReadDescriptionFile(path, text)) return text;
  return FormatText("%dx%dx%d %s", layer.GetWidth(), layer.GetHeight(), layer.Image().GetBitsPerPixel(),
                    FileNamePart(path).c_str());
}

int AddToStack(CAppHost& host, CLayerStack& stack, std::unique_ptr<CLayer> layer) {
  if (stack.AddLayer(std::move(layer))) return 0;
  Fail(host, kNoMemoryForLayer);
  return 16;
}

// Blocks raster: every pixel below 255 next to a greater value (left, right, up,
// down) becomes 255, so each border lies on the side of the lower block.
void MarkBlockBorders(CImage& image) {
  const int width = image.GetWidth(), height = image.GetHeight();
  const CImage original = image;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = original.Row(y);
    const std::uint8_t* above = y > 0 ? original.Row(y - 1) : nullptr;
    const std::uint8_t* below = y + 1 < height ? original.Row(y + 1) : nullptr;
    std::uint8_t* out = image.Row(y);
    for (int x = 0; x < width; ++x) {
      const std::uint8_t v = row[x];
      if (v == kBorderValue) continue;
      if ((x > 0 && row[x - 1] > v) || (x + 1 < width && row[x + 1] > v) || (above && above[x] > v) ||
          (below && below[x] > v))
        out[x] = kBorderValue;
    }
  }
}

// Borders raster: the regions of the first pixel's value are numbered 1, 2, ...
// (four-connected), all other pixels become 255. 0, or 3 after the message.
int NumberBorderRegions(CAppHost& host, CImage& image) {
  const int width = image.GetWidth(), height = image.GetHeight();
  std::vector<std::uint16_t> grid;
  if (!TryResize(grid, std::uint64_t(width) * std::uint64_t(height))) {
    Fail(host, kOutOfMemory);
    return kErrorOutOfMemory;
  }
  const std::uint8_t inside = image.Row(0)[0];
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      grid[std::size_t(y) * std::size_t(width) + std::size_t(x)] = image.Row(y)[x] == inside ? 1 : 0;
  int count = 0;
  const int result = LabelRegions(width, height, 2, grid.data(), count);
  if (result == kLabelOutOfMemory) {
    Fail(host, kOutOfMemory);
    return kErrorOutOfMemory;
  }
  if (result != kLabelOk || count > kMaxBorderRegions) {
    Fail(host);
    return kErrorOutOfMemory;
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint16_t label = grid[std::size_t(y) * std::size_t(width) + std::size_t(x)];
      image.Row(y)[x] = label == 0 ? kBorderValue : std::uint8_t(label);
    }
  return 0;
}

}  // namespace

PaletteTables GreyPaletteTables() {
  PaletteTables p;
  for (int i = 0; i < 256; ++i) {
    p.red[i] = p.green[i] = p.blue[i] = std::uint8_t(i);
    p.used[i] = 1;
  }
  return p;
}

PaletteTables SchemePaletteTables() {
  PaletteTables p;
  for (int i = 0; i < 256; ++i) {
    p.red[i] = p.green[i] = p.blue[i] = i == 0 ? 0 : 255;
    p.used[i] = 1;
  }
  return p;
}

PaletteTables MaskPaletteTables() {
  PaletteTables p;
  p.used.fill(1);
  p.red[0] = 255;
  return p;
}

PaletteTables BlocksPaletteTables() {
  PaletteTables p;
  p.used.fill(1);
  p.red[255] = 255;
  return p;
}

std::string FormatFilterText(int formatCode) {
  switch (formatCode) {
    case kImageFormatTiff: return "Tagged image file format (*.tif, *.tiff)|*.tif; *.tiff|";
    case kImageFormatJpeg: return "JPEG-JFIF Compliant (*.jpg, *.jif, *.jpeg)|*.jpg; *.jif; *.jpeg|";
    case kImageFormatBmp: return "Windows bitmap (*.bmp)|*.bmp|";
    case kImageFormatGif: return "Graphics Interchange Format (*.gif)|*.gif|";
    case kImageFormatPcx: return "PCX format (*.pcx)|*.pcx|";
    case kImageFormatTga: return "TARGA format (*.tga)|*.tga|";
    case kImageFormatGrid: return "GRID ASCII format (*.grd)|*.grd|";
    case kImageFormatRaw: return "Raw data (*.raw)|*.raw|";
    default: return {};
  }
}

std::string RasterOpenFilter() {
  std::string filter =
      "All supported formats (*.tif, *.tiff, *.raw, *.jpg, *.jif, *.jpeg, *.bmp, *.gif, *.pcx, *.tga)"
      "|*.tif; *.tiff; *.raw; *.jpg; *.jif; *.jpeg; *.bmp; *.gif; *.pcx; *.tga|";
  for (int code : {kImageFormatTiff, kImageFormatRaw, kImageFormatJpeg, kImageFormatBmp, kImageFormatGif,
                   kImageFormatPcx, kImageFormatTga})
    filter += FormatFilterText(code);
  return filter + kAllGdalRastersFilter + "|";
}

std::string ElevationModelOpenFilter() {
  return "All supported formats (*.raw,*.grd,*.tif,*.tiff,*.hgt)|*.raw; *.grd; *.tif; *.tiff; *.hgt|"
         "Raw data (*.raw)|*.raw|Grid ASCII data (*.grd)|*.grd|" +
         std::string(kAllGdalRastersFilter) + "|";
}

const char* ImageTypeName(int imageType) {
  switch (imageType) {
    case kImageTypeGreyscale: return "GREYSCALE";
    case kImageTypeScheme: return "LINE";
    case kImageTypeElevation: return "DTM";
    default: return "Undefined";
  }
}

int ReadRaw(CAppHost& host, const std::string& path, int imageType, std::vector<std::uint8_t>& data, int& width,
            int& height, int& bytesPerSample) {
  const std::string native = ToNativePath(path);
  const std::int64_t length = FileSize(native);
  if (length < 0) {
    FailOpen(host, path);
    return 1;
  }
  const int typeDefault = imageType == kImageTypeElevation ? 2 : 1;
  if (width == 0 || height == 0) {
    const std::int64_t samples = length / typeDefault;
    auto side = std::int64_t(std::sqrt(double(samples)));
    while (side > 0 && side * side > samples) --side;
    while ((side + 1) * (side + 1) <= samples) ++side;
    const ImageSizeAnswer answer = host.AskImageSize({int(std::min<std::int64_t>(side, INT32_MAX)),
                                                      int(std::min<std::int64_t>(side, INT32_MAX)), typeDefault});
    if (answer.cancelled) return 1;  // the user's choice needs no message
    width = answer.width;
    height = answer.height;
    bytesPerSample = answer.bytesPerSample == 2 ? 2 : 1;
  } else if (bytesPerSample != 1 && bytesPerSample != 2) {
    bytesPerSample = typeDefault;
  }
  // Sides the images cannot have fit no file either.
  if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide ||
      std::int64_t(width) * height * bytesPerSample != length) {
    Fail(host, kSizeMismatchParameters);
    return 1;
  }
  std::vector<std::uint8_t> bytes;
  switch (ReadFileBytes(native, bytes, std::uint64_t(length))) {
    case ReadFileResult::Ok:
      break;
    case ReadFileResult::OutOfMemory:
      Fail(host, kOutOfMemory);
      return 1;
    case ReadFileResult::TooLarge:  // the file grew since it was measured
      Fail(host, kSizeMismatchParameters);
      return 1;
    default:
      FailOpen(host, path);
      return 1;
  }
  if (std::int64_t(bytes.size()) != length) {
    Fail(host, kSizeMismatchParameters);
    return 1;
  }
  data.swap(bytes);
  return 0;
}

int ReadGrid(CAppHost& host, const std::string& path, std::vector<std::uint16_t>& samples, int& width, int& height,
             GridExtent& extent, const std::function<bool(double)>& progress) {
  // A large grid takes a while to come off the disk: its reading is the first part
  // of the progress, the rows the rest.
  constexpr double kReadShare = 0.2;
  std::vector<std::uint8_t> bytes;
  const std::function<bool(double)> reading =
      progress ? std::function<bool(double)>([&](double fraction) { return progress(fraction * kReadShare); })
               : nullptr;
  switch (ReadFileBytes(ToNativePath(path), bytes, kMaxImageFileBytes, reading)) {
    case ReadFileResult::Ok:
      break;
    case ReadFileResult::Stopped:
      return kErrorStopped;
    case ReadFileResult::OutOfMemory:
      Fail(host, kOutOfMemory);
      return 1;
    default:
      FailOpen(host, path);
      return 1;
  }
  CWordReader reader(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  std::string_view word;
  double columns = 0, rows = 0, zMin = 0, zMax = 0;
  if (!reader.Next(word) || word != "DSAA" || !reader.NextReal(columns) || !reader.NextReal(rows) ||
      !reader.NextReal(extent.xMin) || !reader.NextReal(extent.xMax) || !reader.NextReal(extent.yMin) ||
      !reader.NextReal(extent.yMax) || !reader.NextReal(zMin) || !reader.NextReal(zMax) ||
      !(columns >= 1 && columns <= kMaxImageSide && columns == std::floor(columns)) ||
      !(rows >= 1 && rows <= kMaxImageSide && rows == std::floor(rows))) {
    FailOpen(host, path);
    return 1;
  }
  const int w = int(columns), h = int(rows);
  // An empty or reversed height range gives no heights to spread.
  const double scale = zMax > zMin && std::isfinite(zMax - zMin) ? kGridScaleTop / (zMax - zMin) : 0.0;
  // Every value takes a character and a blank: a header announcing more cells than
  // the rest of the file can hold runs out of values, and must not decide the allocation.
  if (std::uint64_t(w) * std::uint64_t(h) > (std::uint64_t(reader.Remaining()) + 1) / 2) {
    FailOpen(host, path);
    return 1;
  }
  std::vector<std::uint16_t> grid;
  if (!TryResize(grid, std::uint64_t(w) * std::uint64_t(h))) {
    Fail(host, kOutOfMemory);
    return 1;
  }
  // A row of values is read in one call, then scaled.
  std::vector<double> values;
  if (!TryResize(values, std::uint64_t(w))) {
    Fail(host, kOutOfMemory);
    return 1;
  }
  for (int fileRow = 0; fileRow < h; ++fileRow) {
    if (progress && !progress(kReadShare + (1.0 - kReadShare) * double(fileRow) / h)) return kErrorStopped;
    // The file starts with the lowest y, the buffer with the top row.
    std::uint16_t* row = grid.data() + std::size_t(h - 1 - fileRow) * std::size_t(w);
    if (reader.NextReals(values.data(), values.size()) != values.size()) {
      FailOpen(host, path);
      return 1;
    }
    for (int column = 0; column < w; ++column) {
      const double value = values[std::size_t(column)];
      if (std::isnan(value) || value >= kGridBlank || value < zMin) {
        row[column] = 0;
        continue;
      }
      // An infinite or NaN z minimum gives no number here; such cells are 0 too.
      const double scaled = (value - zMin) * scale;
      row[column] = scaled > 0 ? std::uint16_t(std::min(scaled, 65535.0)) : 0;
    }
  }
  samples.swap(grid);
  width = w;
  height = h;
  return 0;
}

bool ReadDescriptionFile(const std::string& path, std::string& text) {
  std::string content;
  if (!ReadSideFile(WithoutExtension(path) + ".txo", content)) return false;
  text = StoredTextToUtf8(content);
  return true;
}

std::string WorldFilePath(const std::string& imagePath) {
  if (imagePath.size() < 2) return {};
  return imagePath.substr(0, imagePath.size() - 2) + "fw";
}

void HeightsOfSamples(const std::vector<double>& samples, bool hasNodata, double nodata,
                      std::vector<std::uint16_t>& heights) {
  auto valid = [&](double v) { return std::isfinite(v) && !(hasNodata && v == nodata); };
  double low = 0, high = 0;
  bool any = false;
  for (double v : samples) {
    if (!valid(v)) continue;
    low = any ? std::min(low, v) : v;
    high = any ? std::max(high, v) : v;
    any = true;
  }
  // An empty or flat range gives no heights to spread.
  const double scale = any && high > low && std::isfinite(high - low) ? kGridScaleTop / (high - low) : 0.0;
  for (std::size_t i = 0; i < samples.size() && i < heights.size(); ++i) {
    const double v = samples[i];
    const double scaled = valid(v) ? (v - low) * scale : 0.0;
    heights[i] = scaled > 0 ? std::uint16_t(std::min(scaled, 65535.0)) : 0;
  }
}

int OpenBaseImage(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
                  int imageType, int width, int height, int bytesPerSample, BaseRasterInfo& info) {
  info = BaseRasterInfo{};
  auto layer = MakeLayer<CBitmapLayer>(name, false);
  if (!layer) {
    Fail(host, kNoMemoryForLayer);
    return kErrorOutOfMemory;
  }
  layer->SetTransparency(false);
  const PaletteTables palette = imageType == kImageTypeScheme ? SchemePaletteTables() : GreyPaletteTables();

  if (imageType == kImageTypeElevation) {
    if (int code = OpenElevationModel(host, path, *layer, width, height, bytesPerSample, info)) return code;
  } else if (IsRawPath(path)) {
    if (int code = OpenRawPicture(host, path, *layer, imageType, width, height, bytesPerSample, palette, info))
      return code;
  } else {
    if (layer->Load(ToNativePath(path))) {
      if (layer->Image().GetBitsPerPixel() != 8) {
        ShowError(host, LoadText(kNotEightBits));
        return 1;
      }
      ApplyPalette(*layer, palette);
      info.width = std::uint32_t(layer->GetWidth());
      info.height = std::uint32_t(layer->GetHeight());
      info.bytesPerPixel = 1;
      ReadImageGeoreference(path, layer->GetWidth(), layer->GetHeight(), info.georeference);
    } else if (!GdalMayRead(path)) {
      Fail(host);
      return 1;
    } else if (int code = OpenGdalPicture(host, path, *layer, palette, info)) {
      return code;
    }
  }
  info.imageType = std::uint8_t(imageType);
  const int bits = info.bytesPerPixel == 2 ? 16 : 8;
  layer->SetDescription(FormatText("%dx%dx%d %s %s", int(info.width), int(info.height), bits,
                                   ImageTypeName(imageType), FileNamePart(path).c_str()));
  if (int code = AddToStack(host, stack, std::move(layer))) {
    info = BaseRasterInfo{};
    return code;
  }
  return 0;
}

int OpenExtraRaster(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
                    bool view, ProjectSize project) {
  std::unique_ptr<CBitmapLayer> layer;
  CVectorLayer* transparent = nullptr;
  if (view) {
    layer = MakeLayer<CBitmapLayer>(name, true);
  } else if (auto vector = MakeLayer<CVectorLayer>(name, true)) {
    vector->SetColorIndex(0);
    vector->SetColorChangeable(true);
    transparent = vector.get();
    layer = std::move(vector);
  }
  if (!layer) {
    Fail(host, kNoMemoryForLayer);
    return 1;
  }
  const PaletteTables grey = GreyPaletteTables();
  if (int code = ReadOverlay(host, path, *layer, project, {true, true, grey})) return code;
  layer->SetDescription(OverlayDescription(path, *layer));
  if (transparent) {
    transparent->SetTransparentColor(0);
    transparent->SetTransparency(true);
    if (!transparent->FindSingleColor() || transparent->Image().GetBitsPerPixel() == 24)
      transparent->SetFlag(kLayerSeveralColors, true);
  }
  return AddToStack(host, stack, std::move(layer));
}

int OpenMask(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
             ProjectSize project) {
  auto layer = MakeLayer<CExtremumLayer>(name, false);
  if (!layer) {
    Fail(host, kNoMemoryForLayer);
    return 1;
  }
  const PaletteTables palette = MaskPaletteTables();
  if (int code = ReadOverlay(host, path, *layer, project, {false, false, palette})) return code;
  ApplyPalette(*layer, palette);
  CImage& image = layer->Image();
  for (int y = 0; y < image.GetHeight(); ++y) {
    std::uint8_t* row = image.Row(y);
    for (int x = 0; x < image.GetWidth(); ++x)
      if (row[x] != 0) row[x] = kBorderValue;
  }
  // The palette panel shows two colours: the mask (class 1 and below) and the rest.
  layer->steps = 2;
  layer->stepBoundaries = {1, kBorderValue};
  layer->red = palette.red;
  layer->green = palette.green;
  layer->blue = palette.blue;
  layer->used = palette.used;
  layer->paletteKind = 3;
  layer->classWidth = -1.0;
  layer->SetDescription(LoadText(kMaskDescription));
  layer->SetDeletable(false);
  layer->MarkChanged();
  return AddToStack(host, stack, std::move(layer));
}

int OpenBlocks(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
               int blocksImageType, ProjectSize project) {
  auto layer = MakeLayer<CVectorLayer>(name, false);
  if (!layer) {
    Fail(host, kNoMemoryForLayer);
    return 1;
  }
  const PaletteTables grey = GreyPaletteTables();
  if (int code = ReadOverlay(host, path, *layer, project, {false, false, grey})) return code;
  // Shown like the blocks the editor draws: only the red borders over the image. Grey
  // levels would paint the near-black block numbers 1, 2, ... over the whole picture.
  ApplyPalette(*layer, BlocksPaletteTables());
  layer->SetDescription(OverlayDescription(path, *layer));
  layer->SetTransparentColor(0);
  layer->SetTransparency(true);
  layer->SetDeletable(false);
  // The borders are the layer's one colour, so that "Изменить Цвет" recolours them.
  layer->SetColorIndex(255);
  if (blocksImageType == 1) {
    MarkBlockBorders(layer->Image());
  } else if (blocksImageType == 2) {
    if (int code = NumberBorderRegions(host, layer->Image())) return code;
  }
  layer->MarkChanged();
  return AddToStack(host, stack, std::move(layer));
}

}  // namespace linea

#include "layers/geotiff.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "base/binary_io.h"
#include "base/checked_alloc.h"
#include "base/paths.h"
#include "imaging/codec_support.h"
#include "imaging/image.h"

namespace linea {
namespace {

// Largest single allocation libtiff may make for one file.
constexpr tmsize_t kMaxLibtiffAllocation = tmsize_t(256) << 20;
// Heights are spread over 0..63999, as the ASCII grids are.
constexpr double kHeightScaleTop = 63999.0;
// GeoKey of the raster type, and its value for "pixel is point".
constexpr std::uint16_t kGeoKeyRasterType = 1025;
constexpr std::uint16_t kRasterPixelIsPoint = 2;

// libtiff's messages are not the user's business: failures come back as results.
int SilentHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

TiffHandle OpenTiff(const std::string& path) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxLibtiffAllocation);
  TIFFOpenOptionsSetErrorHandlerExtR(options, SilentHandler, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, SilentHandler, nullptr);
  TIFF* tif = TIFFOpenExt(ToNativePath(path).c_str(), "r", options);
  TIFFOpenOptionsFree(options);
  return TiffHandle(tif);
}

// The values of a tag of the given type, whether libtiff knows the tag (GeoTIFF tags
// are not among its own) or read it as an anonymous one, which carries a count.
template <typename V>
bool GetTagValues(TIFF* tif, std::uint32_t tag, TIFFDataType type, const V*& values, std::uint32_t& count) {
  const TIFFField* field = TIFFFindField(tif, tag, TIFF_ANY);
  if (!field || TIFFFieldDataType(field) != type) return false;
  void* data = nullptr;
  if (TIFFFieldPassCount(field)) {
    if (TIFFFieldReadCount(field) == TIFF_VARIABLE2) {
      std::uint32_t n = 0;
      if (!TIFFGetField(tif, tag, &n, &data)) return false;
      count = n;
    } else {
      std::uint16_t n = 0;
      if (!TIFFGetField(tif, tag, &n, &data)) return false;
      count = n;
    }
  } else {
    const int fixed = TIFFFieldReadCount(field);
    if (fixed <= 0 || !TIFFGetField(tif, tag, &data)) return false;
    count = std::uint32_t(fixed);
  }
  values = static_cast<const V*>(data);
  return values != nullptr && count > 0;
}

enum class SampleKind { Unsigned, Signed, Float };

struct SampleLayout {
  SampleKind kind;
  int bytes;
};

bool ReadLayout(TIFF* tif, SampleLayout& layout) {
  std::uint16_t bits = 0, samples = 0, format = 0, photometric = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
  if (TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) &&
      (photometric == PHOTOMETRIC_PALETTE || photometric == PHOTOMETRIC_RGB))
    return false;
  if (samples != 1) return false;
  layout.bytes = bits / 8;
  switch (format) {
    case SAMPLEFORMAT_UINT:
    case SAMPLEFORMAT_INT:
      layout.kind = format == SAMPLEFORMAT_UINT ? SampleKind::Unsigned : SampleKind::Signed;
      return bits == 8 || bits == 16 || bits == 32;
    case SAMPLEFORMAT_IEEEFP:
      layout.kind = SampleKind::Float;
      return bits == 32 || bits == 64;
    default:
      return false;
  }
}

// One sample in the machine's byte order (libtiff swaps on reading) as a float.
float SampleValue(const std::uint8_t* p, const SampleLayout& layout) {
  switch (layout.bytes) {
    case 1:
      return layout.kind == SampleKind::Signed ? float(std::int8_t(*p)) : float(*p);
    case 2: {
      std::uint16_t v;
      std::memcpy(&v, p, 2);
      return layout.kind == SampleKind::Signed ? float(std::int16_t(v)) : float(v);
    }
    case 4: {
      if (layout.kind == SampleKind::Float) {
        float f;
        std::memcpy(&f, p, 4);
        return f;
      }
      std::uint32_t v;
      std::memcpy(&v, p, 4);
      return layout.kind == SampleKind::Signed ? float(std::int32_t(v)) : float(v);
    }
    default: {
      double d;
      std::memcpy(&d, p, 8);
      return float(d);
    }
  }
}

// A decoded block (strip or tile) of `rows` x `columns` samples, `stride` bytes per
// row, copied into the model at (left, top), clipped to it. Invalid cells become NaN.
struct BlockCopy {
  const SampleLayout& layout;
  std::vector<float>& values;
  int width;
  int height;
  bool hasNodata;
  float nodata;

  void operator()(const std::uint8_t* block, std::size_t stride, int left, int top, int columns, int rows) const {
    const int right = std::min(left + columns, width), bottom = std::min(top + rows, height);
    for (int y = top; y < bottom; ++y) {
      const std::uint8_t* p = block + std::size_t(y - top) * stride;
      float* out = values.data() + std::size_t(y) * std::size_t(width);
      for (int x = left; x < right; ++x, p += layout.bytes) {
        const float v = SampleValue(p, layout);
        out[x] = (!std::isfinite(v) || (hasNodata && v == nodata)) ? std::numeric_limits<float>::quiet_NaN() : v;
      }
    }
  }
};

bool ReadStrips(TIFF* tif, const BlockCopy& copy) {
  std::uint32_t rowsPerStrip = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, std::uint32_t(copy.height));
  const std::uint64_t scanline = std::uint64_t(TIFFScanlineSize64(tif));
  if (scanline < std::uint64_t(copy.width) * std::uint64_t(copy.layout.bytes)) return false;
  const auto stripBytes = CheckedMultiply(scanline, rowsPerStrip);
  std::vector<std::uint8_t> buffer;
  if (!stripBytes || !TryResize(buffer, *stripBytes)) return false;
  const std::uint32_t strips = (std::uint32_t(copy.height) + rowsPerStrip - 1) / rowsPerStrip;
  if (TIFFNumberOfStrips(tif) < strips) return false;
  for (std::uint32_t strip = 0; strip < strips; ++strip) {
    const std::uint32_t top = strip * rowsPerStrip;
    const std::uint32_t rows = std::min(rowsPerStrip, std::uint32_t(copy.height) - top);
    const tmsize_t wanted = tmsize_t(scanline * rows);
    if (TIFFReadEncodedStrip(tif, strip, buffer.data(), wanted) != wanted) return false;
    copy(buffer.data(), std::size_t(scanline), 0, int(top), copy.width, int(rows));
  }
  return true;
}

bool ReadTiles(TIFF* tif, const BlockCopy& copy) {
  std::uint32_t tileWidth = 0, tileHeight = 0;
  if (!TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth) || !TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight))
    return false;
  if (tileWidth == 0 || tileHeight == 0 || tileWidth > 65536 || tileHeight > 65536) return false;
  const std::uint64_t tileBytes = std::uint64_t(TIFFTileSize64(tif));
  const std::uint64_t stride = std::uint64_t(tileWidth) * std::uint64_t(copy.layout.bytes);
  std::vector<std::uint8_t> buffer;
  if (tileBytes < stride * tileHeight || !TryResize(buffer, tileBytes)) return false;
  for (std::uint32_t top = 0; top < std::uint32_t(copy.height); top += tileHeight)
    for (std::uint32_t left = 0; left < std::uint32_t(copy.width); left += tileWidth) {
      const std::uint32_t tile = TIFFComputeTile(tif, left, top, 0, 0);
      if (TIFFReadEncodedTile(tif, tile, buffer.data(), tmsize_t(tileBytes)) < 0) return false;
      copy(buffer.data(), std::size_t(stride), int(left), int(top), int(tileWidth), int(tileHeight));
    }
  return true;
}

// The GDAL nodata tag: the value as text.
bool ReadNodata(TIFF* tif, float& nodata) {
  const char* text = nullptr;
  std::uint32_t count = 0;
  if (!GetTagValues(tif, kTagGdalNodata, TIFF_ASCII, text, count)) return false;
  std::string value(text, std::find(text, text + count, '\0'));
  char* end = nullptr;
  const double parsed = std::strtod(value.c_str(), &end);
  if (end == value.c_str()) return false;
  nodata = float(parsed);
  return true;
}

bool RasterIsPoint(TIFF* tif) {
  const std::uint16_t* keys = nullptr;
  std::uint32_t count = 0;
  if (!GetTagValues(tif, kTagGeoKeyDirectory, TIFF_SHORT, keys, count) || count < 4) return false;
  const std::uint32_t entries = std::min<std::uint32_t>(keys[3], (count - 4) / 4);
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::uint16_t* key = keys + 4 + 4 * i;
    if (key[0] == kGeoKeyRasterType && key[1] == 0) return key[3] == kRasterPixelIsPoint;
  }
  return false;
}

}  // namespace

ElevationTiffResult ReadElevationTiff(const std::string& path, std::vector<std::uint16_t>& heights, int& width,
                                      int& height) {
  TiffHandle tif = OpenTiff(path);
  if (!tif) return ElevationTiffResult::CannotOpen;
  std::uint32_t w = 0, h = 0;
  SampleLayout layout{};
  if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h) ||
      w < 1 || h < 1 || w > std::uint32_t(kMaxImageSide) || h > std::uint32_t(kMaxImageSide) ||
      !ReadLayout(tif.get(), layout))
    return ElevationTiffResult::Unsupported;

  const std::uint64_t cells = std::uint64_t(w) * h;
  // A header may announce far more cells than the file's data can decode to; the
  // buffers are not sized by such a claim.
  const std::int64_t fileBytes = FileSize(ToNativePath(path));
  if (fileBytes < 0 || !DecodedSizeIsPlausible(std::uint64_t(fileBytes), cells * std::uint64_t(layout.bytes)))
    return ElevationTiffResult::Unsupported;
  std::vector<float> values;
  std::vector<std::uint16_t> scaled;
  if (!TryResize(values, cells) || !TryResize(scaled, cells)) return ElevationTiffResult::OutOfMemory;
  float nodata = 0;
  const bool hasNodata = ReadNodata(tif.get(), nodata);
  const BlockCopy copy{layout, values, int(w), int(h), hasNodata, nodata};
  const bool read = TIFFIsTiled(tif.get()) ? ReadTiles(tif.get(), copy) : ReadStrips(tif.get(), copy);
  if (!read) return ElevationTiffResult::Unsupported;

  float lowest = std::numeric_limits<float>::infinity(), highest = -lowest;
  for (const float v : values)
    if (!std::isnan(v)) {
      lowest = std::min(lowest, v);
      highest = std::max(highest, v);
    }
  // A model of one height (or of blank cells only) is all 0.
  const double scale = highest > lowest ? kHeightScaleTop / (double(highest) - double(lowest)) : 0.0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const float v = values[i];
    scaled[i] = std::isnan(v) ? 0 : std::uint16_t(std::clamp((double(v) - lowest) * scale, 0.0, kHeightScaleTop));
  }
  heights.swap(scaled);
  width = int(w);
  height = int(h);
  return ElevationTiffResult::Ok;
}

bool ReadGeoTiffGeoreference(const std::string& path, Georeference& georeference) {
  TiffHandle tif = OpenTiff(path);
  if (!tif) return false;
  std::uint32_t w = 0, h = 0;
  if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h))
    return false;
  double left, top, dx, dy;
  const double* scale = nullptr;
  const double* tiepoint = nullptr;
  const double* matrix = nullptr;
  std::uint32_t scaleCount = 0, tiepointCount = 0, matrixCount = 0;
  if (GetTagValues(tif.get(), kTagModelPixelScale, TIFF_DOUBLE, scale, scaleCount) && scaleCount >= 2 &&
      GetTagValues(tif.get(), kTagModelTiepoint, TIFF_DOUBLE, tiepoint, tiepointCount) && tiepointCount >= 6) {
    // The tiepoint ties raster (i, j) to world (x, y); y grows northwards.
    dx = scale[0];
    dy = -scale[1];
    left = tiepoint[3] - tiepoint[0] * dx;
    top = tiepoint[4] - tiepoint[1] * dy;
  } else if (GetTagValues(tif.get(), kTagModelTransformation, TIFF_DOUBLE, matrix, matrixCount) &&
             matrixCount >= 16 && matrix[1] == 0.0 && matrix[4] == 0.0) {
    dx = matrix[0];
    dy = matrix[5];
    left = matrix[3];
    top = matrix[7];
  } else {
    return false;
  }
  if (!std::isfinite(dx) || !std::isfinite(dy) || !std::isfinite(left) || !std::isfinite(top) || dx == 0.0 ||
      dy == 0.0)
    return false;
  if (RasterIsPoint(tif.get())) {
    left -= dx / 2;
    top -= dy / 2;
  }
  georeference.known = true;
  georeference.left = left;
  georeference.top = top;
  georeference.pixelWidth = dx;
  georeference.pixelHeight = dy;
  georeference.right = left + double(w) * dx;
  georeference.bottom = top + double(h) * dy;
  return true;
}

}  // namespace linea

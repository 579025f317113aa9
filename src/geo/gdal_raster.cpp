#include "geo/gdal_raster.h"

#include <cpl_conv.h>
#include <cpl_string.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "base/atomic_file.h"
#include "base/checked_alloc.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/string_table.h"
#include "geo/gdal_session.h"
#include "geo/vsimem_output.h"
#include "imaging/image.h"

namespace linea {
namespace {

using geo_detail::CGdalErrorCapture;

// Deflate packs at most about 1032 bytes into one; no stored raster is denser.
constexpr std::uint64_t kMaxCompressionRatio = 2048;

struct DatasetCloser {
  void operator()(void* dataset) const {
    if (dataset) GDALClose(static_cast<GDALDatasetH>(dataset));
  }
};
using DatasetPtr = std::unique_ptr<void, DatasetCloser>;

// Only plain files of the user's: GDAL also opens directories (coverages) and
// virtual paths (/vsicurl/...), which a file dialog never means.
bool IsPlainFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

// Bands a raster of ours may have: hyperspectral scenes have a few hundred.
constexpr std::uint64_t kMaxBands = 1024;

// The samples per pixel the first directory of a TIFF (classic or BigTIFF) declares,
// 0 when the file is no TIFF or does not say. GDAL builds an object for every band
// before anything can be refused: a few hundred bytes announcing 65535 bands cost
// seconds to open and close.
std::uint64_t TiffSamplesPerPixel(const std::string& native) {
  std::FILE* file = std::fopen(native.c_str(), "rb");
  if (!file) return 0;
  std::uint8_t head[16] = {};
  std::vector<std::uint8_t> ifd;
  const std::size_t got = std::fread(head, 1, sizeof head, file);
  const bool little = got >= 8 && head[0] == 'I' && head[1] == 'I';
  const bool big = got >= 8 && head[0] == 'M' && head[1] == 'M';
  auto value = [&](const std::uint8_t* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint64_t(p[little ? i : bytes - 1 - i]) << (8 * i);
    return v;
  };
  std::uint64_t samples = 0;
  if (little || big) {
    const std::uint64_t magic = value(head + 2, 2);
    const bool bigTiff = magic == 43 && got == 16;
    if (magic == 42 || bigTiff) {
      const std::uint64_t offset = bigTiff ? value(head + 8, 8) : value(head + 4, 4);
      const int countBytes = bigTiff ? 8 : 2, entryBytes = bigTiff ? 20 : 12, countField = bigTiff ? 8 : 4;
      std::uint8_t count[8] = {};
      if (offset <= std::uint64_t(LONG_MAX) && std::fseek(file, long(offset), SEEK_SET) == 0 &&
          std::fread(count, 1, std::size_t(countBytes), file) == std::size_t(countBytes)) {
        const std::uint64_t entries = std::min<std::uint64_t>(value(count, countBytes), 4096);
        ifd.resize(std::size_t(entries) * std::size_t(entryBytes));
        ifd.resize(std::fread(ifd.data(), 1, ifd.size(), file));
        for (std::size_t at = 0; at + std::size_t(entryBytes) <= ifd.size(); at += std::size_t(entryBytes)) {
          const std::uint8_t* entry = ifd.data() + at;
          if (value(entry, 2) != 277) continue;  // SamplesPerPixel
          const std::uint64_t type = value(entry + 2, 2);
          const std::uint8_t* field = entry + 4 + countField;
          samples = type == 3 ? value(field, 2) : type == 4 ? value(field, 4) : type == 16 ? value(field, 8) : 0;
          break;
        }
      }
    }
  }
  std::fclose(file);
  return samples;
}

}  // namespace

GeoReadResult ReadRasterBand(const std::string& path, int band, RasterBandData& out, std::string& reason) {
  CGdalErrorCapture capture;  // first, so that not even driver registration prints
  geo_detail::EnsureGdalDrivers();
  const std::string native = ToNativePath(path);
  if (!IsPlainFile(native)) {
    reason = "not a file";
    return GeoReadResult::CannotOpen;
  }
  if (TiffSamplesPerPixel(native) > kMaxBands) {
    reason = "too many bands";
    return GeoReadResult::Unsupported;
  }
  DatasetPtr dataset(GDALOpenEx(native.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
  if (!dataset) {
    reason = capture.Reason("unknown raster format");
    return GeoReadResult::CannotOpen;
  }
  auto* handle = static_cast<GDALDatasetH>(dataset.get());
  const int width = GDALGetRasterXSize(handle), height = GDALGetRasterYSize(handle);
  const int bands = GDALGetRasterCount(handle);
  if (bands < 1 || std::uint64_t(bands) > kMaxBands || band < 1 || band > bands || width < 1 || height < 1 || width > kMaxImageSide ||
      height > kMaxImageSide) {
    reason = "unsupported raster size or bands";
    return GeoReadResult::Unsupported;
  }
  GDALRasterBandH bandHandle = GDALGetRasterBand(handle, band);
  if (!bandHandle) {
    reason = capture.Reason("no band");
    return GeoReadResult::Unsupported;
  }
  RasterBandData data;
  data.width = width;
  data.height = height;
  data.bandCount = bands;
  const GDALDataType type = GDALGetRasterDataType(bandHandle);
  if (GDALDataTypeIsComplex(type)) {
    reason = "complex samples";
    return GeoReadResult::Unsupported;
  }
  data.bitsPerSample = GDALGetDataTypeSizeBits(type);
  data.integerSamples = GDALDataTypeIsInteger(type) != 0;
  data.isUnsigned16 = type == GDT_UInt16;
  const GDALColorInterp interpretation = GDALGetRasterColorInterpretation(bandHandle);
  data.colourBand = interpretation == GCI_PaletteIndex || interpretation == GCI_RedBand ||
                    interpretation == GCI_GreenBand || interpretation == GCI_BlueBand ||
                    interpretation == GCI_AlphaBand;
  // A header may claim far more cells than its file could hold under any compression;
  // such a claim must not decide the allocation. Every band counts: reading one band
  // of pixel-interleaved data reads the others with it.
  const std::uint64_t claimed = std::uint64_t(width) * std::uint64_t(height) * std::uint64_t(bands) *
                                std::uint64_t(std::max(1, data.bitsPerSample / 8));
  std::error_code sizeError;
  const std::uint64_t fileBytes = std::filesystem::file_size(std::filesystem::path(native), sizeError);
  if (sizeError || claimed / kMaxCompressionRatio > fileBytes + (std::uint64_t(1) << 16)) {
    reason = "the file is too short for its size";
    return GeoReadResult::Unsupported;
  }
  int hasNodata = 0;
  const double nodata = GDALGetRasterNoDataValue(bandHandle, &hasNodata);
  data.hasNodata = hasNodata != 0;
  data.nodata = nodata;
  if (!TryResize(data.samples, std::uint64_t(width) * std::uint64_t(height))) return GeoReadResult::OutOfMemory;
  if (GDALRasterIO(bandHandle, GF_Read, 0, 0, width, height, data.samples.data(), width, height, GDT_Float64, 0,
                   0) != CE_None) {
    reason = capture.Reason("read error");
    return GeoReadResult::ReadError;
  }
  GeoTransform transform{};
  if (GDALGetGeoTransform(handle, transform.data()) == CE_None && transform[1] != 0 && transform[5] != 0) {
    data.georeference = GeoreferenceOfTransform(transform, width, height);
  }
  if (const char* wkt = GDALGetProjectionRef(handle); wkt && *wkt) data.georeference.crsWkt = wkt;
  out = std::move(data);
  return GeoReadResult::Ok;
}

bool ReadRasterGeoreference(const std::string& path, Georeference& georeference) {
  CGdalErrorCapture capture;  // first, so that not even driver registration prints
  geo_detail::EnsureGdalDrivers();
  const std::string native = ToNativePath(path);
  if (!IsPlainFile(native) || TiffSamplesPerPixel(native) > kMaxBands) return false;
  DatasetPtr dataset(GDALOpenEx(native.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
  if (!dataset) return false;
  if (std::uint64_t(GDALGetRasterCount(static_cast<GDALDatasetH>(dataset.get()))) > kMaxBands) return false;
  auto* handle = static_cast<GDALDatasetH>(dataset.get());
  const char* wkt = GDALGetProjectionRef(handle);
  if (wkt && *wkt) georeference.crsWkt = wkt;
  GeoTransform transform{};
  if (GDALGetGeoTransform(handle, transform.data()) != CE_None || transform[1] == 0 || transform[5] == 0)
    return false;
  const std::string crs = georeference.crsWkt;
  georeference = GeoreferenceOfTransform(transform, GDALGetRasterXSize(handle), GDALGetRasterYSize(handle));
  georeference.crsWkt = crs;
  return true;
}

RasterFormat RasterFormatOfPath(const std::string& path) {
  const std::string extension = ExtensionPart(FileNamePart(path));
  if (EqualsNoCase(extension, ".tif") || EqualsNoCase(extension, ".tiff")) return RasterFormat::GeoTiff;
  if (EqualsNoCase(extension, ".png")) return RasterFormat::Png;
  if (EqualsNoCase(extension, ".jpg") || EqualsNoCase(extension, ".jpeg")) return RasterFormat::Jpeg;
  return RasterFormat::Unknown;
}

int WriteRasterFile(const std::string& path, const RasterToWrite& raster, std::string& reason) {
  CGdalErrorCapture capture;  // first, so that not even driver registration prints
  geo_detail::EnsureGdalDrivers();
  const RasterFormat format = RasterFormatOfPath(path);
  const std::uint64_t cells = std::uint64_t(raster.width) * std::uint64_t(raster.height);
  if (format == RasterFormat::Unknown || (raster.bands != 1 && raster.bands != 3) || raster.width < 1 ||
      raster.height < 1 || raster.pixels.size() != cells * std::uint64_t(raster.bands)) {
    reason = "unsupported format";
    return kErrorNoData;
  }
  // JPEG has no palette: the colours are written instead of the indices.
  const bool expand = format == RasterFormat::Jpeg && raster.bands == 1 && raster.hasPalette;
  const int bands = expand ? 3 : raster.bands;
  std::vector<std::uint8_t> planes;
  if (!TryResize(planes, cells * std::uint64_t(bands))) return kErrorOutOfMemory;
  for (std::uint64_t i = 0; i < cells; ++i) {
    if (expand) {
      const std::uint32_t colour = raster.palette[raster.pixels[i]];
      planes[i] = std::uint8_t(colour);
      planes[cells + i] = std::uint8_t(colour >> 8);
      planes[2 * cells + i] = std::uint8_t(colour >> 16);
    } else {
      for (int b = 0; b < bands; ++b) planes[std::uint64_t(b) * cells + i] = raster.pixels[i * bands + b];
    }
  }

  geo_detail::CVsiMemOutput output(FileNamePart(path));
  GDALDriverH memory = GDALGetDriverByName(format == RasterFormat::GeoTiff ? "GTiff" : "MEM");
  if (!memory) {
    reason = capture.Reason("no GDAL driver");
    return kErrorCannotOpen;
  }
  const std::string target = format == RasterFormat::GeoTiff ? output.MainPath() : std::string();
  const char* const tiffOptions[] = {"COMPRESS=DEFLATE", "PHOTOMETRIC=RGB", nullptr};
  const char* const paletteOptions[] = {"COMPRESS=DEFLATE", nullptr};
  char** createOptions = nullptr;
  if (format == RasterFormat::GeoTiff)
    createOptions = const_cast<char**>(bands == 3 ? tiffOptions : paletteOptions);
  DatasetPtr dataset(
      GDALCreate(memory, target.c_str(), raster.width, raster.height, bands, GDT_Byte, createOptions));
  if (!dataset) {
    reason = capture.Reason("cannot create");
    return kErrorCannotOpen;
  }
  auto* handle = static_cast<GDALDatasetH>(dataset.get());
  if (raster.georeference.known) {
    GeoTransform transform = GeoTransformOf(raster.georeference);
    GDALSetGeoTransform(handle, transform.data());
    if (!raster.georeference.crsWkt.empty()) {
      // WKT only: other user-input forms may name files or addresses.
      OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
      char* text = const_cast<char*>(raster.georeference.crsWkt.c_str());
      if (OSRImportFromWkt(srs, &text) == OGRERR_NONE) GDALSetSpatialRef(handle, srs);
      OSRRelease(srs);
    }
  }
  for (int b = 0; b < bands; ++b) {
    GDALRasterBandH band = GDALGetRasterBand(handle, b + 1);
    if (GDALRasterIO(band, GF_Write, 0, 0, raster.width, raster.height, planes.data() + std::uint64_t(b) * cells,
                     raster.width, raster.height, GDT_Byte, 0, 0) != CE_None) {
      reason = capture.Reason("write error");
      return kErrorCannotWrite;
    }
    if (bands == 3) GDALSetRasterColorInterpretation(band, GDALColorInterp(GCI_RedBand + b));
  }
  GDALRasterBandH first = GDALGetRasterBand(handle, 1);
  if (raster.hasPalette && bands == 1) {
    GDALColorTableH table = GDALCreateColorTable(GPI_RGB);
    for (int i = 0; i < 256; ++i) {
      const std::uint32_t colour = raster.palette[std::size_t(i)];
      const GDALColorEntry entry{short(colour & 0xFF), short((colour >> 8) & 0xFF), short((colour >> 16) & 0xFF),
                                 255};
      GDALSetColorEntry(table, i, &entry);
    }
    GDALSetRasterColorTable(first, table);
    GDALDestroyColorTable(table);
  }
  for (const auto& [key, value] : raster.bandMetadata) GDALSetMetadataItem(first, key.c_str(), value.c_str(), nullptr);

  if (format != RasterFormat::GeoTiff) {
    GDALDriverH driver = GDALGetDriverByName(format == RasterFormat::Png ? "PNG" : "JPEG");
    const char* const jpegOptions[] = {"QUALITY=95", nullptr};
    DatasetPtr copy(driver ? GDALCreateCopy(driver, output.MainPath().c_str(), handle, FALSE,
                                            format == RasterFormat::Jpeg ? const_cast<char**>(jpegOptions) : nullptr,
                                            nullptr, nullptr)
                           : nullptr);
    if (!copy) {
      reason = capture.Reason("cannot create");
      return kErrorCannotOpen;
    }
  }
  dataset.reset();  // flushes the GeoTIFF
  if (CPLGetLastErrorType() >= CE_Failure) {
    reason = capture.Reason("write error");
    return kErrorCannotWrite;
  }
  std::vector<std::pair<std::string, std::string>> extra;
  if (format != RasterFormat::GeoTiff && raster.georeference.known)
    extra.emplace_back(ExportWorldFilePath(path), WorldFileText(GeoTransformOf(raster.georeference)));
  const int code = output.CommitTo(path, extra);
  if (code != 0) reason = capture.Reason(LoadText(ErrorMessageId(code)));
  return code;
}

}  // namespace linea

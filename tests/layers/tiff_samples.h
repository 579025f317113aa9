#pragma once
// Writes small single-band TIFF elevation models, with GeoTIFF tags when asked, the
// way GIS programs store them: for the tests of raster import and project loading.

#include <tiffio.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace linea::testing {

struct TiffModel {
  int width = 0;
  int height = 0;
  int bits = 16;
  int sampleFormat = SAMPLEFORMAT_UINT;
  std::vector<double> values;  // row 0 (north) first
  int tileSide = 0;            // 0: strips of one row; else tiles (a multiple of 16)
  // GeoTIFF: pixel size and the world position of pixel (0, 0)'s corner.
  bool geo = false;
  double pixelWidth = 1, pixelHeight = 1, left = 0, top = 0;
  bool pixelIsPoint = false;
  std::string nodata;  // the GDAL nodata tag, when not empty
};

inline void PutSample(std::uint8_t* p, const TiffModel& m, double v) {
  if (m.sampleFormat == SAMPLEFORMAT_IEEEFP) {
    if (m.bits == 32) {
      const float f = float(v);
      std::memcpy(p, &f, 4);
    } else {
      std::memcpy(p, &v, 8);
    }
    return;
  }
  const auto i = std::int64_t(v);
  if (m.bits == 8) *p = std::uint8_t(i);
  if (m.bits == 16) {
    const auto s = std::uint16_t(i);
    std::memcpy(p, &s, 2);
  }
  if (m.bits == 32) {
    const auto s = std::uint32_t(i);
    std::memcpy(p, &s, 4);
  }
}

inline bool WriteTiffModel(const std::string& path, const TiffModel& m) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (!tif) return false;
  static const TIFFFieldInfo kGeoFields[] = {
      {33550, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("ModelPixelScaleTag")},
      {33922, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("ModelTiepointTag")},
      {34735, -1, -1, TIFF_SHORT, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoKeyDirectoryTag")},
      {42113, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GDALNoDataValue")},
  };
  TIFFMergeFieldInfo(tif, kGeoFields, 4);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, std::uint32_t(m.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, std::uint32_t(m.height));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, std::uint16_t(m.bits));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(1));
  TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, std::uint16_t(m.sampleFormat));
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  if (m.geo) {
    const double scale[3] = {m.pixelWidth, m.pixelHeight, 0};
    const double tiepoint[6] = {0, 0, 0, m.left, m.top, 0};
    TIFFSetField(tif, 33550, 3, scale);
    TIFFSetField(tif, 33922, 6, tiepoint);
    // Version 1.1.0, one key: the raster type (1 area, 2 point).
    const std::uint16_t keys[8] = {1, 1, 0, 1, 1025, 0, 1, std::uint16_t(m.pixelIsPoint ? 2 : 1)};
    TIFFSetField(tif, 34735, 8, keys);
  }
  if (!m.nodata.empty()) TIFFSetField(tif, 42113, m.nodata.c_str());
  const int bytes = m.bits / 8;
  bool ok = true;
  if (m.tileSide > 0) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, std::uint32_t(m.tileSide));
    TIFFSetField(tif, TIFFTAG_TILELENGTH, std::uint32_t(m.tileSide));
    std::vector<std::uint8_t> tile(std::size_t(m.tileSide) * m.tileSide * bytes);
    for (int top = 0; top < m.height; top += m.tileSide)
      for (int left = 0; left < m.width; left += m.tileSide) {
        std::fill(tile.begin(), tile.end(), 0);
        for (int y = 0; y < m.tileSide && top + y < m.height; ++y)
          for (int x = 0; x < m.tileSide && left + x < m.width; ++x)
            PutSample(tile.data() + (std::size_t(y) * m.tileSide + x) * bytes, m,
                      m.values[std::size_t(top + y) * m.width + left + x]);
        ok = ok && TIFFWriteTile(tif, tile.data(), std::uint32_t(left), std::uint32_t(top), 0, 0) >= 0;
      }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, std::uint32_t(1));
    std::vector<std::uint8_t> row(std::size_t(m.width) * bytes);
    for (int y = 0; y < m.height; ++y) {
      for (int x = 0; x < m.width; ++x)
        PutSample(row.data() + std::size_t(x) * bytes, m, m.values[std::size_t(y) * m.width + x]);
      ok = ok && TIFFWriteScanline(tif, row.data(), std::uint32_t(y), 0) >= 0;
    }
  }
  TIFFClose(tif);
  return ok;
}

}  // namespace linea::testing

// The WKT of an EPSG coordinate system as GDAL writes it, for tests that make
// georeferenced files (header only: only the test targets that link GDAL use it).
#pragma once

#include <cpl_conv.h>
#include <ogr_srs_api.h>

#include <string>

namespace linea {

inline std::string WktOfEpsg(int code) {
  OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
  OSRImportFromEPSG(srs, code);
  char* wkt = nullptr;
  OSRExportToWkt(srs, &wkt);
  std::string text = wkt ? wkt : "";
  CPLFree(wkt);
  OSRRelease(srs);
  return text;
}

}  // namespace linea

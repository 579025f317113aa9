#include "geo/gdal_vector.h"

#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <memory>

#include "base/messages.h"
#include "base/paths.h"
#include "base/string_table.h"
#include "geo/gdal_session.h"
#include "geo/vsimem_output.h"

namespace linea {
namespace {

using geo_detail::CGdalErrorCapture;

struct DatasetCloser {
  void operator()(void* dataset) const {
    if (dataset) GDALClose(static_cast<GDALDatasetH>(dataset));
  }
};
struct SrsReleaser {
  void operator()(void* srs) const {
    if (srs) OSRRelease(static_cast<OGRSpatialReferenceH>(srs));
  }
};
struct FeatureDestroyer {
  void operator()(void* feature) const {
    if (feature) OGR_F_Destroy(static_cast<OGRFeatureH>(feature));
  }
};

const char* DriverName(VectorFormat format) {
  switch (format) {
    case VectorFormat::GeoPackage: return "GPKG";
    case VectorFormat::GeoJson: return "GeoJSON";
    case VectorFormat::Shapefile: return "ESRI Shapefile";
    default: return nullptr;
  }
}

OGRFieldType FieldType(VectorFieldKind kind) {
  switch (kind) {
    case VectorFieldKind::Integer: return OFTInteger64;
    case VectorFieldKind::Real: return OFTReal;
    default: return OFTString;
  }
}

// Formats of one table get all drawings in one, with the drawing's name in "layer"
// and the union of the fields.
std::vector<VectorTable> MergedTables(const std::vector<VectorTable>& tables) {
  VectorTable merged;
  merged.name = "drawings";
  merged.fields.push_back({"layer", VectorFieldKind::Text});
  std::vector<std::vector<int>> columns;
  for (const VectorTable& table : tables) {
    std::vector<int> map;
    for (const VectorField& field : table.fields) {
      int found = -1;
      for (std::size_t i = 0; i < merged.fields.size(); ++i)
        if (merged.fields[i].name == field.name && merged.fields[i].kind == field.kind) found = int(i);
      if (found < 0) {
        found = int(merged.fields.size());
        merged.fields.push_back(field);
      }
      map.push_back(found);
    }
    columns.push_back(std::move(map));
  }
  for (std::size_t t = 0; t < tables.size(); ++t) {
    for (const VectorFeature& feature : tables[t].features) {
      VectorFeature copy;
      copy.points = feature.points;
      copy.values.assign(merged.fields.size(), VectorValue{});
      for (std::size_t i = 0; i < copy.values.size(); ++i)
        if (merged.fields[i].kind == VectorFieldKind::Text) copy.values[i] = std::string();
      copy.values[0] = tables[t].name;
      for (std::size_t i = 0; i < feature.values.size() && i < columns[t].size(); ++i)
        copy.values[std::size_t(columns[t][i])] = feature.values[i];
      merged.features.push_back(std::move(copy));
    }
  }
  return {merged};
}

bool SetValue(OGRFeatureH feature, int index, const VectorValue& value) {
  if (const auto* integer = std::get_if<std::int64_t>(&value)) OGR_F_SetFieldInteger64(feature, index, *integer);
  else if (const auto* real = std::get_if<double>(&value)) OGR_F_SetFieldDouble(feature, index, *real);
  else OGR_F_SetFieldString(feature, index, std::get<std::string>(value).c_str());
  return true;
}

int WriteTable(GDALDatasetH dataset, const VectorTable& table, OGRSpatialReferenceH srs, bool shapefile,
               CGdalErrorCapture& capture, std::string& reason) {
  // Shapefile attributes are in the DBF's code page unless told: names are Cyrillic.
  const char* const options[] = {"ENCODING=UTF-8", nullptr};
  OGRLayerH layer = GDALDatasetCreateLayer(dataset, table.name.c_str(), srs, wkbLineString,
                                           shapefile ? const_cast<char**>(options) : nullptr);
  if (!layer) {
    reason = capture.Reason("cannot create the table " + table.name);
    return kErrorCannotWrite;
  }
  for (const VectorField& field : table.fields) {
    OGRFieldDefnH definition = OGR_Fld_Create(field.name.c_str(), FieldType(field.kind));
    const OGRErr error = OGR_L_CreateField(layer, definition, TRUE);
    OGR_Fld_Destroy(definition);
    if (error != OGRERR_NONE) {
      reason = capture.Reason("cannot create the field " + field.name);
      return kErrorCannotWrite;
    }
  }
  const bool transaction = OGR_L_StartTransaction(layer) == OGRERR_NONE;
  for (const VectorFeature& feature : table.features) {
    std::unique_ptr<void, FeatureDestroyer> owned(OGR_F_Create(OGR_L_GetLayerDefn(layer)));
    auto* handle = static_cast<OGRFeatureH>(owned.get());
    for (std::size_t i = 0; i < feature.values.size() && i < table.fields.size(); ++i)
      SetValue(handle, int(i), feature.values[i]);
    OGRGeometryH line = OGR_G_CreateGeometry(wkbLineString);
    for (const auto& point : feature.points) OGR_G_AddPoint_2D(line, point[0], point[1]);
    // A line needs two vertices; a dot is a line of one vertex twice.
    if (feature.points.size() == 1) OGR_G_AddPoint_2D(line, feature.points[0][0], feature.points[0][1]);
    OGR_F_SetGeometryDirectly(handle, line);
    if (OGR_L_CreateFeature(layer, handle) != OGRERR_NONE) {
      reason = capture.Reason("cannot write a feature");
      return kErrorCannotWrite;
    }
  }
  if (transaction && OGR_L_CommitTransaction(layer) != OGRERR_NONE) {
    reason = capture.Reason("cannot write the table " + table.name);
    return kErrorCannotWrite;
  }
  return 0;
}

}  // namespace

VectorFormat VectorFormatOfPath(const std::string& path) {
  const std::string extension = ExtensionPart(FileNamePart(path));
  if (EqualsNoCase(extension, ".gpkg")) return VectorFormat::GeoPackage;
  if (EqualsNoCase(extension, ".geojson") || EqualsNoCase(extension, ".json")) return VectorFormat::GeoJson;
  if (EqualsNoCase(extension, ".shp")) return VectorFormat::Shapefile;
  return VectorFormat::Unknown;
}

int WriteVectorFile(const std::string& path, const std::vector<VectorTable>& tables, const std::string& crsWkt,
                    std::string& reason) {
  CGdalErrorCapture capture;  // first, so that not even driver registration prints
  geo_detail::EnsureGdalDrivers();
  const VectorFormat format = VectorFormatOfPath(path);
  if (format == VectorFormat::Unknown || tables.empty()) {
    reason = "unsupported format";
    return kErrorNoData;
  }
  GDALDriverH driver = GDALGetDriverByName(DriverName(format));
  if (!driver) {
    reason = capture.Reason("no GDAL driver");
    return kErrorCannotOpen;
  }
  std::unique_ptr<void, SrsReleaser> srs;
  if (!crsWkt.empty()) {
    srs.reset(OSRNewSpatialReference(nullptr));
    auto* handle = static_cast<OGRSpatialReferenceH>(srs.get());
    OSRSetAxisMappingStrategy(handle, OAMS_TRADITIONAL_GIS_ORDER);
    // WKT only: other user-input forms may name files or addresses.
    char* text = const_cast<char*>(crsWkt.c_str());
    if (OSRImportFromWkt(handle, &text) != OGRERR_NONE) srs.reset();
  }
  geo_detail::CVsiMemOutput output(FileNamePart(path));
  {
    std::unique_ptr<void, DatasetCloser> dataset(
        GDALCreate(driver, output.MainPath().c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset) {
      reason = capture.Reason("cannot create");
      return kErrorCannotOpen;
    }
    const std::vector<VectorTable> written = format == VectorFormat::GeoPackage ? tables : MergedTables(tables);
    for (const VectorTable& table : written)
      if (int code = WriteTable(static_cast<GDALDatasetH>(dataset.get()), table,
                                static_cast<OGRSpatialReferenceH>(srs.get()), format == VectorFormat::Shapefile,
                                capture, reason))
        return code;
  }
  const int code = output.CommitTo(path, {});
  if (code != 0) reason = capture.Reason(LoadText(ErrorMessageId(code)));
  return code;
}

}  // namespace linea

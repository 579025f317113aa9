#pragma once
// Line drawings written as vector features through GDAL: GeoPackage (one table per
// drawing), GeoJSON or Shapefile (formats of one table: every drawing in it, told
// apart by the field "layer").

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace linea {

enum class VectorFieldKind { Integer, Real, Text };

struct VectorField {
  std::string name;
  VectorFieldKind kind = VectorFieldKind::Text;
};

using VectorValue = std::variant<std::int64_t, double, std::string>;

// One polyline in world coordinates and its values, in the order of the table's fields.
struct VectorFeature {
  std::vector<std::array<double, 2>> points;
  std::vector<VectorValue> values;
};

struct VectorTable {
  std::string name;
  std::vector<VectorField> fields;
  std::vector<VectorFeature> features;
};

enum class VectorFormat { Unknown, GeoPackage, GeoJson, Shapefile };
VectorFormat VectorFormatOfPath(const std::string& path);

// Writes the tables in the system `crsWkt` (none when empty). Polylines of fewer
// than two points are written as points of a line of one vertex twice. 0; 4 when
// the file cannot be created; 6 when it cannot be written; 17 when the extension
// names no format or there is no table.
int WriteVectorFile(const std::string& path, const std::vector<VectorTable>& tables, const std::string& crsWkt,
                    std::string& reason);

}  // namespace linea

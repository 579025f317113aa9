#include "project/geo_export.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <span>

#include "base/checked_alloc.h"
#include "base/messages.h"
#include "base/string_table.h"
#include "layers/bitmap_layer.h"
#include "layers/layer_stack.h"
#include "layers/raster_layer.h"
#include "layers/vector_layer3.h"
#include "project/save_settings.h"
#include "results/lineaments.h"
#include "results/results.h"
#include "project/workspace.h"

namespace linea {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::string ColourText(std::uint32_t colour) {  // 0x00BBGGRR
  return FormatText("#%02x%02x%02x", unsigned(colour & 0xFF), unsigned((colour >> 8) & 0xFF),
                    unsigned((colour >> 16) & 0xFF));
}

std::string NumberText(double value) { return FormatText("%.10g", value); }

// Pixel (column, row) centre in world coordinates.
std::array<double, 2> WorldPoint(const GeoTransform& t, double x, double y) {
  return {t[0] + (x + 0.5) * t[1] + (y + 0.5) * t[2], t[3] + (x + 0.5) * t[4] + (y + 0.5) * t[5]};
}

void ClassMetadata(const CRasterLayer& map, RasterToWrite& raster) {
  raster.bandMetadata.emplace_back("FROM", NumberText(map.From));
  raster.bandMetadata.emplace_back("CLASS_WIDTH", NumberText(map.classWidth));
  raster.bandMetadata.emplace_back("CLASSES", NumberText(map.classes));
  // Class 0 is "no value"; class k covers From + (k - 1) * width .. From + k * width.
  for (int k = 1; k <= map.classes && k < 256; ++k) {
    const double low = map.From + (k - 1) * map.classWidth;
    raster.bandMetadata.emplace_back(FormatText("CLASS_%d", k),
                                     NumberText(low) + " " + NumberText(low + map.classWidth));
  }
}

constexpr int kLineamentsLayerName = 131;  // "Линеаменты %d"

// Whether `name` is that of a lineament map: the text of its name format up to the number.
bool IsLineamentMapName(const std::string& name) {
  const std::string format = LoadText(kLineamentsLayerName);
  const std::string prefix = format.substr(0, format.find("%d"));
  return !prefix.empty() && name.rfind(prefix, 0) == 0;
}

// The stored lineament cells by grid cell: the index of the strongest record there.
class CLineamentCells {
 public:
  explicit CLineamentCells(const CResults& results) : results_(results) {
    const std::uint64_t cells = std::uint64_t(results.gridWidth) * results.gridHeight;
    if (cells == 0 || results.imageWidth == 0 || !TryResize(best_, cells)) return;
    std::fill(best_.begin(), best_.end(), -1);
    for (std::size_t i = 0; i < results.lineaments.size(); ++i) {
      const LineamentRecord& record = results.lineaments[i];
      const std::uint32_t row = LineamentRow(record), column = LineamentColumn(record);
      if (row >= results.gridHeight || column >= results.gridWidth) continue;
      std::int64_t& at = best_[std::size_t(row) * results.gridWidth + column];
      if (at < 0 || results.lineaments[std::size_t(at)].Length() < record.Length()) at = std::int64_t(i);
    }
  }
  // The strongest record at any vertex (image pixels, scaled back to the grid), or null.
  const LineamentRecord* Strongest(std::span<const PolylinePoint> points) const {
    if (best_.empty()) return nullptr;
    const double toGrid = double(results_.gridWidth) / double(results_.imageWidth);
    const LineamentRecord* strongest = nullptr;
    for (const PolylinePoint& p : points) {
      const double gx = std::floor(p.x * toGrid + 0.5), gy = std::floor(p.y * toGrid + 0.5);
      for (double y = gy - 1; y <= gy + 1; ++y)  // the scaling rounds: the cell or a neighbour
        for (double x = gx - 1; x <= gx + 1; ++x) {
          if (x < 0 || y < 0 || x >= results_.gridWidth || y >= results_.gridHeight) continue;
          if (toGrid == 1.0 && (x != gx || y != gy)) continue;
          const std::int64_t index = best_[std::size_t(y) * results_.gridWidth + std::size_t(x)];
          if (index < 0) continue;
          const LineamentRecord& record = results_.lineaments[std::size_t(index)];
          if (!strongest || strongest->Length() < record.Length()) strongest = &record;
        }
    }
    return strongest;
  }

 private:
  const CResults& results_;
  std::vector<std::int64_t> best_;
};

int Report(CAppHost& host, int code, const std::string& path, const std::string& reason) {
  std::string detail = path;
  if (!reason.empty()) detail += " " + reason;
  ShowError(host, LoadText(ErrorMessageId(code == kErrorOutOfMemory || code == kErrorCannotOpen ? code
                                                                                                 : kErrorCannotWrite)),
            detail);
  return code;
}

}  // namespace

bool RasterOfLayer(const CLayer* layer, const CLayerStack& stack, RasterToWrite& raster) {
  const CImage* image = nullptr;
  const auto* bitmap = dynamic_cast<const CBitmapLayer*>(layer);
  image = bitmap ? &bitmap->Image() : (layer ? nullptr : &stack.CompositionImage());
  if (!image || image->GetWidth() < 1 || image->GetHeight() < 1) return false;
  const int bits = image->GetBitsPerPixel();
  if (bits != 8 && bits != 24) return false;
  raster = RasterToWrite{};
  raster.width = image->GetWidth();
  raster.height = image->GetHeight();
  raster.bands = bits == 8 ? 1 : 3;
  if (!TryResize(raster.pixels, std::uint64_t(raster.width) * std::uint64_t(raster.height) * raster.bands))
    return false;
  for (int y = 0; y < raster.height; ++y) {
    const std::uint8_t* row = image->Row(y);
    std::uint8_t* out = raster.pixels.data() + std::size_t(y) * std::size_t(raster.width) * raster.bands;
    for (int x = 0; x < raster.width; ++x) {
      if (bits == 8) {
        out[x] = row[x];
      } else {  // memory order blue, green, red
        out[3 * x] = row[3 * x + 2];
        out[3 * x + 1] = row[3 * x + 1];
        out[3 * x + 2] = row[3 * x];
      }
    }
  }
  if (bits == 8) {
    raster.hasPalette = true;
    raster.palette = image->Palette();
    if (const auto* map = dynamic_cast<const CRasterLayer*>(layer); map && map->classWidth >= 0 && map->classes > 0)
      ClassMetadata(*map, raster);
  }
  return true;
}

std::vector<VectorTable> DrawingTables(const CLayerStack& stack, const Georeference& georeference,
                                       const CResults* results) {
  std::unique_ptr<CLineamentCells> lineamentCells;
  const GeoTransform t = georeference.known ? GeoTransformOf(georeference) : GeoTransform{0, 1, 0, 0, 0, -1};
  std::vector<VectorTable> tables;
  for (int i = 0; i < stack.LayerCount(); ++i) {
    const auto* drawing = dynamic_cast<const CVectorLayer3*>(stack.LayerAt(i));
    if (!drawing || !drawing->IsVisible()) continue;
    VectorTable table;
    table.name = drawing->GetName();
    table.fields = {{"layer", VectorFieldKind::Text},       {"color", VectorFieldKind::Text},
                    {"width", VectorFieldKind::Integer},    {"direction", VectorFieldKind::Real},
                    {"length", VectorFieldKind::Real},      {"description", VectorFieldKind::Text}};
    const bool lineaments = results && !results->lineaments.empty() && IsLineamentMapName(table.name);
    if (lineaments) {
      table.fields.push_back({"value", VectorFieldKind::Integer});
      table.fields.push_back({"group", VectorFieldKind::Integer});
      if (!lineamentCells) lineamentCells = std::make_unique<CLineamentCells>(*results);
    }
    int classNumber = 0;
    const bool isolines = drawing->HoldsPolylineClasses();
    if (isolines) {
      table.fields.push_back({"class", VectorFieldKind::Integer});
      table.fields.push_back({"value_from", VectorFieldKind::Real});
      table.fields.push_back({"value_to", VectorFieldKind::Real});
    }
    for (int g = 0; g < drawing->GroupCount(); ++g) {
      const CPolylineGroup& group = drawing->Group(g);
      for (int p = 0; p < group.PolylineCount(); ++p) {
        const auto points = group.Polyline(p);
        if (points.empty()) continue;
        VectorFeature feature;
        double length = 0;
        for (const PolylinePoint& point : points) {
          feature.points.push_back(WorldPoint(t, point.x, point.y));
          if (feature.points.size() > 1) {
            const auto& a = feature.points[feature.points.size() - 2];
            const auto& b = feature.points.back();
            length += std::hypot(b[0] - a[0], b[1] - a[1]);
          }
        }
        const auto& first = feature.points.front();
        const auto& last = feature.points.back();
        // Lines have no sense of travel: the azimuth is folded into 0..180.
        double direction = std::atan2(last[0] - first[0], last[1] - first[1]) * 180.0 / kPi;
        if (direction < 0) direction += 180.0;
        if (direction >= 180.0) direction -= 180.0;
        feature.values = {table.name, ColourText(group.GetColor()), std::int64_t(group.GetWidth()), direction,
                          length, drawing->GetDescription()};
        if (lineaments) {
          const LineamentRecord* record = lineamentCells->Strongest(points);
          feature.values.push_back(std::int64_t(record ? record->Length() : -1));
          feature.values.push_back(std::int64_t(record ? LineamentGroup(*record) : -1));
        }
        if (isolines) {
          // Class k covers From + (k - 1) * width .. From + k * width, as in a class map's metadata.
          const auto& scale = drawing->polylineClasses;
          if (drawing->PolylineClass(g, p, classNumber)) {
            const double low = scale.classFrom + (classNumber - 1) * scale.classWidth;
            feature.values.push_back(std::int64_t(classNumber));
            feature.values.push_back(low);
            feature.values.push_back(low + scale.classWidth);
          } else {  // a line drawn onto the isolines later: no class
            feature.values.push_back(std::int64_t(-1));
            feature.values.push_back(0.0);
            feature.values.push_back(0.0);
          }
        }
        table.features.push_back(std::move(feature));
      }
    }
    tables.push_back(std::move(table));
  }
  return tables;
}

int ExportRaster(CWorkspace& workspace, const CLayer* layer, const std::string& path) {
  CAppHost& host = workspace.Host();
  if (RasterFormatOfPath(path) == RasterFormat::Unknown) return Report(host, kErrorCannotOpen, path, {});
  if (!layer && !workspace.layerStack.ComposeLayers(workspace.Composition())) return kErrorOutOfMemory;
  RasterToWrite raster;
  if (!RasterOfLayer(layer, workspace.layerStack, raster)) {
    ShowErrorCode(host, kErrorNoData);
    return kErrorNoData;
  }
  raster.georeference = GeoreferenceOfSettings(workspace.saveSettings);
  std::string reason;
  const int code = WriteRasterFile(path, raster, reason);
  return code == 0 ? 0 : Report(host, code, path, reason);
}

int ExportVectors(CWorkspace& workspace, const std::string& path) {
  CAppHost& host = workspace.Host();
  if (VectorFormatOfPath(path) == VectorFormat::Unknown) return Report(host, kErrorCannotOpen, path, {});
  const Georeference georeference = GeoreferenceOfSettings(workspace.saveSettings);
  const std::vector<VectorTable> tables = DrawingTables(workspace.layerStack, georeference, &workspace.results);
  if (tables.empty()) {
    ShowErrorCode(host, kErrorNoData);
    return kErrorNoData;
  }
  std::string reason;
  const int code = WriteVectorFile(path, tables, georeference.crsWkt, reason);
  return code == 0 ? 0 : Report(host, code, path, reason);
}

}  // namespace linea

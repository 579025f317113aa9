#include "results/lineaments.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "base/checked_alloc.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/string_table.h"
#include "layers/layer_stack.h"
#include "layers/vector_layer3.h"
#include "results/polyline_simplify.h"
#include "results/rose_layers.h"
#include "results/rose_measures.h"
#include "results/source_summary.h"

namespace linea {
namespace {

// Values above this are never ranked.
constexpr std::uint16_t kRankCap = 30000;
constexpr int kRanksPerSector = 50;
constexpr double kDegree = 3.1415926 / 180.0;

// Neighbours in the order the chains look for them: N, NE, E, SE, S, SW, W, NW.
constexpr int kStepX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int kStepY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

int Floor(double value) { return TruncToInt(std::floor(value)); }

void SetDirections(std::array<std::uint8_t, 180>& mask, int first, int last) {
  for (int d = std::max(0, first); d <= std::min(179, last); ++d) mask[std::size_t(d)] = 1;
}

// The sector of each direction for the Order ranking.
std::array<int, 180> RankSectors(int sectors) {
  std::array<int, 180> sectorOf{};
  for (int s = 1; s < sectors; ++s) {
    const int first = Floor((2.0 * s - 1.0) * 90.0 / sectors + 0.5);
    const int last = Floor((2.0 * s + 1.0) * 90.0 / sectors + 0.5);
    for (int d = std::max(0, first); d <= std::min(179, last); ++d) sectorOf[std::size_t(d)] = s;
  }
  return sectorOf;
}

}  // namespace

int RankLineaments(std::span<const LineamentRecord> records, int sectors, std::span<std::uint16_t> values) {
  // More sectors than directions would give sector numbers beyond the 180 lists.
  if (sectors > kMaxLineamentSectors) return kErrorBadDirection;
  const std::size_t count = std::min(records.size(), values.size());
  std::fill(values.begin(), values.begin() + std::ptrdiff_t(count), std::uint16_t(1));
  // No sector, nothing ranked: every record keeps 1.
  if (sectors <= 0) return 0;
  const std::array<int, 180> sectorOf = RankSectors(sectors);
  // The records of each sector, in record order, so that a rank costs one pass over
  // its own sector only.
  std::vector<std::vector<std::size_t>> members(static_cast<std::size_t>(sectors));
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t direction = records[i].Direction();
    if (direction >= 180) continue;  // not a direction; never ranked
    members[std::size_t(sectorOf[direction])].push_back(i);
  }
  std::vector<std::uint8_t> ranked(count, 0);
  for (const std::vector<std::size_t>& sector : members) {
    std::uint16_t cap = kRankCap;
    for (int rank = 0; rank < kRanksPerSector; ++rank) {
      std::size_t best = count;
      std::uint16_t bestValue = 0;
      for (std::size_t i : sector) {
        const std::uint16_t v = records[i].Length();
        if (!ranked[i] && v <= cap && v > bestValue) {
          best = i;
          bestValue = v;
        }
      }
      if (best == count) break;
      const std::uint8_t direction = records[best].Direction();
      const std::int16_t group = LineamentGroup(records[best]);
      for (std::size_t i : sector) {
        if (!ranked[i] && records[i].Length() == bestValue && records[i].Direction() == direction &&
            LineamentGroup(records[i]) == group) {
          values[i] = std::uint16_t(51 - rank);
          ranked[i] = 1;
        }
      }
      cap = bestValue;
    }
  }
  return 0;
}

int SelectLineamentDirections(CalcParameters& params, std::array<std::uint8_t, 180>& mask) {
  mask.fill(0);
  if (params.lineamentSelectionMode != 0) {
    const int from = std::max(0, params.lineamentFrom);
    const int to = params.lineamentTo;
    if (to < 180) {
      SetDirections(mask, from, to - 1);
    } else {
      SetDirections(mask, from, 179);
      SetDirections(mask, 0, to - 181);
    }
    return 0;
  }
  const int n = params.lineamentSectors, s = params.lineamentSector;
  if (s < 0 || s > n) return kErrorBadDirection;
  if (s == 0) {
    mask.fill(1);
    params.lineamentFrom = 0;
    params.lineamentTo = 180;
    return 0;
  }
  const double w = 90.0 / n;  // half a sector, in degrees
  if (s == 1) {
    SetDirections(mask, 0, Floor(w + 0.5) - 1);
    SetDirections(mask, Floor((2.0 * n - 1.0) * w + 0.5), 179);
    int off = 0;
    while (off < 180 && mask[std::size_t(off)]) ++off;
    if (off == 180) {  // one sector: every direction
      params.lineamentFrom = 0;
      params.lineamentTo = 180;
      return 0;
    }
    int on = off;
    while (on < 180 && !mask[std::size_t(on)]) ++on;
    params.lineamentTo = off - 1;
    params.lineamentFrom = on < 180 ? on : 0;
    return 0;
  }
  const int first = Floor((2.0 * s - 3.0) * w + 0.5);
  const int end = Floor((2.0 * s - 1.0) * w + 0.5);
  SetDirections(mask, first, end - 1);
  params.lineamentFrom = first;
  params.lineamentTo = end - 1;
  return 0;
}

int TraceLineamentCells(std::span<std::uint8_t> marks, int gridWidth, int gridHeight, int imageWidth,
                        CVectorLayer3& layer, std::uint32_t color, int lineWidth, const BuildProgress& progress) {
  if (gridWidth <= 0 || gridHeight <= 0) return 0;
  // Rows beyond what the raster holds are empty.
  const int rows = int(std::min<std::uint64_t>(gridHeight, marks.size() / std::uint64_t(gridWidth)));
  const std::size_t limit = std::size_t(std::max(std::max(gridWidth, gridHeight), 2));
  std::vector<PolylinePoint> points;
  if (!TryResize(points, limit)) return 3;
  auto marked = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < gridWidth && y < rows &&
           marks[std::size_t(y) * std::size_t(gridWidth) + std::size_t(x)] != 0;
  };
  auto cell = [&](int x, int y) -> std::uint8_t& {
    return marks[std::size_t(y) * std::size_t(gridWidth) + std::size_t(x)];
  };
  const bool scaled = imageWidth != gridWidth;
  const double factor = double(imageWidth) / double(gridWidth);
  CBuildStage stage(progress, 0.0, 1.0);
  for (int y = 0; y < rows; ++y) {
    if (!stage.Report(std::uint64_t(y), std::uint64_t(rows))) return 11;
    for (int x = 0; x < gridWidth; ++x) {
      while (cell(x, y)) {
        int k0 = 0;
        for (int n = 0; n < 8; ++n) k0 += marked(x + kStepX[n], y + kStepY[n]) ? 1 : 0;
        std::size_t count = 0;
        points[count++] = {x, y};
        cell(x, y) = 0;
        if (k0 == 0) {
          points[count++] = {x, y};
        } else {
          int cx = x, cy = y;
          while (count < limit) {
            int n = 0;
            while (n < 8 && !marked(cx + kStepX[n], cy + kStepY[n])) ++n;
            if (n == 8) break;
            cx += kStepX[n];
            cy += kStepY[n];
            cell(cx, cy) = 0;
            points[count++] = {cx, cy};
          }
        }
        std::span<PolylinePoint> line(points.data(), count);
        count = SimplifyPolyline(line);
        if (scaled) {
          for (std::size_t i = 0; i < count; ++i) {
            points[i].x = TruncToInt(points[i].x * factor + 0.5);
            points[i].y = TruncToInt(points[i].y * factor + 0.5);
          }
        }
        if (layer.AddPolyline32(std::span<const PolylinePoint>(points.data(), count), color, lineWidth)) return 3;
        const PolylinePoint first = points[0], last = points[count - 1];
        const bool open = std::abs(first.x - last.x) > 1 || std::abs(first.y - last.y) > 1;
        if (!(k0 > 2 || (k0 == 2 && open))) break;
        // The branches on the start cell's other side are chained from it again.
        cell(x, y) = 1;
      }
    }
  }
  return stage.Report(1, 1) ? 0 : 11;
}

int DrawLineamentRose(const std::array<double, 180>& counts, int beams, int sumWindow, int width, int height,
                      CVectorLayer3& layer, std::uint32_t color, int lineWidth, std::array<std::uint8_t, 180>& rose) {
  const int s = std::max(1, sumWindow);
  const int h = s / 2;
  // A window of more than 180 directions goes round whole times: each adds every count once.
  const int rounds = s / 180, rest = s % 180;
  std::array<double, 180> corrected;
  for (int d = 0; d < 180; ++d) {
    const int delta = std::min({d, std::abs(d - 90), 180 - d});
    corrected[std::size_t(d)] = counts[std::size_t(d)] / std::cos(delta * kDegree);
  }
  double total = 0.0;
  for (double c : corrected) total += c;
  std::array<double, 180> sums{};
  double largest = 0.0;
  for (int d = 0; d < 180; ++d) {
    double sum = rounds * total;
    for (int k = 0; k < rest; ++k) sum += corrected[std::size_t((((d - h + k) % 180) + 180) % 180)];
    sums[std::size_t(d)] = sum;
    largest = std::max(largest, sum);
  }
  // Nothing selected: every beam 0, the polygon shrinks to the centre.
  for (int d = 0; d < 180; ++d)
    rose[std::size_t(d)] =
        largest > 0.0 ? std::uint8_t(std::clamp(TruncToInt(100.0 * sums[std::size_t(d)] / largest + 0.5), 0, 255))
                      : std::uint8_t(0);
  const int b = std::max(1, beams);
  std::vector<PolylinePoint> points;
  if (!TryResize(points, 2 * std::uint64_t(b) + 1)) return 3;
  const int cx = width / 2, cy = height / 2;
  const double k = largest > 0.0 ? double(std::min(width, height)) / (4.0 * largest) : 0.0;
  for (int j = 0; j < b; ++j) {
    int dx, dy;
    if (j == 0) {
      dx = TruncToInt(k * sums[0]);
      dy = 0;
    } else {
      const double angle = j * 3.1415926 / b;
      const int direction = TruncToInt(j * 180.0 / b + 0.5) % 180;
      dx = TruncToInt(std::cos(angle) * k * sums[std::size_t(direction)]);
      dy = TruncToInt(std::sin(angle) * k * sums[std::size_t(direction)]);
    }
    points[std::size_t(j)] = {cx + dx, cy - dy};
    points[std::size_t(b + j)] = {cx - dx, cy + dy};
  }
  points[std::size_t(2 * b)] = points[0];
  return layer.AddPolyline32(points, color, lineWidth) ? 3 : 0;
}

int BuildLineamentsLayer(const CResults& results, CLineamentSelection& selection, CLayerStack& stack,
                         std::string name, CalcParameters& params, int lineWidth, const BuildProgress& progress) {
  if (params.lineamentSectors > kMaxLineamentSectors) return kErrorBadDirection;
  const std::vector<LineamentRecord>& records = results.lineaments;
  // A value array that does not match the records cannot be trusted either.
  const bool changed = selection.changed || selection.selectionValues.size() != records.size();
  if (changed) {
    selection.directionMaxima.fill(0);
    for (const LineamentRecord& record : records) {
      const std::uint8_t d = record.Direction();
      if (d < 180) selection.directionMaxima[d] = std::max(selection.directionMaxima[d], record.Length());
    }
    if (!TryResize(selection.selectionValues, records.size())) return 3;
    selection.valuesSectors = params.lineamentSectors;
  }
  const std::uint8_t order = params.lineamentOrder != 0 ? 1 : 0;
  if (changed || order != selection.valuesOrder || (order && params.lineamentSectors != selection.valuesSectors)) {
    if (order) {
      if (const int code = RankLineaments(records, params.lineamentSectors, selection.selectionValues); code != 0) {
        // Values half made are no values: the next build makes them again.
        selection.changed = true;
        return code;
      }
    } else
      for (std::size_t i = 0; i < records.size(); ++i) selection.selectionValues[i] = records[i].Length();
    selection.valuesOrder = order;
    selection.valuesSectors = params.lineamentSectors;
    selection.changed = false;
  }

  CalcParameters selected = params;
  std::array<std::uint8_t, 180> mask{};
  if (const int code = SelectLineamentDirections(selected, mask); code != 0) return code;
  params.lineamentFrom = selected.lineamentFrom;
  params.lineamentTo = selected.lineamentTo;
  selection.directionMask = mask;
  std::uint16_t largestValue = 0;
  for (int d = 0; d < 180; ++d)
    if (mask[std::size_t(d)]) largestValue = std::max(largestValue, selection.directionMaxima[std::size_t(d)]);
  params.lineamentLargestValue = largestValue;

  std::unique_ptr<CVectorLayer3> layer(new (std::nothrow) CVectorLayer3(name, true));
  if (!layer) return 3;
  auto isSelected = [&](std::size_t i) {
    const std::uint8_t d = records[i].Direction();
    return d < 180 && mask[d] && std::int64_t(selection.selectionValues[i]) >= params.lineamentValue;
  };
  const bool rose = params.lineamentRose;
  if (rose) {
    std::array<double, 180> counts{};
    for (std::size_t i = 0; i < records.size(); ++i)
      if (isSelected(i)) counts[records[i].Direction()] += 1.0;
    if (DrawLineamentRose(counts, params.lineamentBeams, params.lineamentSumWindow, int(results.imageWidth),
                          int(results.imageHeight), *layer, params.lineamentColour, lineWidth, selection.rose) != 0)
      return 3;
  } else {
    const std::uint32_t gridWidth = results.gridWidth, gridHeight = results.gridHeight;
    std::vector<std::uint8_t> marks;
    if (gridWidth > 0 && gridHeight > 0 && gridWidth <= std::uint32_t(kMaxImageSide) &&
        gridHeight <= std::uint32_t(kMaxImageSide)) {
      if (!TryResize(marks, std::uint64_t(gridWidth) * gridHeight)) return 3;
      for (std::size_t i = 0; i < records.size(); ++i) {
        const std::uint32_t row = LineamentRow(records[i]), column = LineamentColumn(records[i]);
        // Cells outside the grid are not part of the map.
        if (row < gridHeight && column < gridWidth && isSelected(i))
          marks[std::size_t(row) * gridWidth + column] = 1;
      }
      const int traced = TraceLineamentCells(marks, int(gridWidth), int(gridHeight), int(results.imageWidth), *layer,
                                             params.lineamentColour, lineWidth, progress);
      if (traced != 0) return traced == 11 ? 11 : 3;
    }
  }
  layer->SetDescription(LineamentsDescription(results, params, rose ? &selection.rose : nullptr));
  if (!stack.AddLayer(std::move(layer))) return 3;
  return 0;
}

std::string LineamentsDescription(const CResults& results, const CalcParameters& params,
                                  const std::array<std::uint8_t, 180>* rose) {
  std::string text;
  if (rose)
    text = FormatText("%s %2d %s %3d ", "LineamentRose (Beams", params.lineamentBeams, "Sum in",
                      params.lineamentSumWindow);
  else
    text = "Lineaments (";
  AppendMaskAndCompression(text, params);
  if (params.LONG)
    text += "Long, ";
  else
    text += "Short, " + FormatText("Short=%2.2f, ", params.Part);
  const bool order = params.lineamentOrder != 0;
  const int value = order ? std::max(0, 52 - params.lineamentValue) : params.lineamentValue;
  text += FormatText("%s value=%d, Dir. {%d - %d}, ", order ? "Order" : "Real", value, params.lineamentFrom,
                     params.lineamentTo);
  text += params.Calck == 2 ? "MultyCalc, " : params.Calck == 1 ? "DoubleCalc, " : "UniCalc, ";
  text += params.RelRez ? "RelRes, " : "AbsRes, ";
  text += FormatText("(ro=%2.2f, fi=%2.2f,) width=%d, Sector =%d, ", params.dnh, params.dfi, params.nb1, params.AngW);
  if (params.LONG) text += FormatText("Small line=%2.2f, ", params.Part);
  AppendImageSettings(text, params, results.imageType);
  text += FormatText("%s, %s)", ImageTypeName(results.imageType), FileNamePart(results.sourcePath).c_str());
  if (rose) {
    text += "\n Beams";
    for (int a = 0; a < 180; ++a) text += FormatText("\n %d %d", a, int((*rose)[std::size_t((90 - a + 180) % 180)]));
  }
  return text;
}

}  // namespace linea

#pragma once
// Lineament maps: the stored lineament cells selected by direction and by value,
// drawn either as chains of cells (a lineaments layer) or as one rose of the
// selected directions centred on the image.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "results/build_progress.h"
#include "results/calc_parameters.h"
#include "results/results.h"

namespace linea {

class CLayerStack;
class CVectorLayer3;

// The fields of a lineament record besides its direction and value.
inline std::uint16_t LineamentRow(const LineamentRecord& record) {
  return std::uint16_t(record.bytes[0] | (record.bytes[1] << 8));
}
inline std::uint16_t LineamentColumn(const LineamentRecord& record) {
  return std::uint16_t(record.bytes[2] | (record.bytes[3] << 8));
}
inline std::int16_t LineamentGroup(const LineamentRecord& record) {
  return std::int16_t(std::uint16_t(record.bytes[8] | (record.bytes[9] << 8)));
}

// What the lineament builds keep between one map and the next. `changed` is set
// whenever the project's lineaments are replaced; it forces the per-direction
// maxima and the selection values to be made again.
struct CLineamentSelection {
  bool changed = true;
  std::array<std::uint16_t, 180> directionMaxima{};
  // One per record: the record value ("Real") or its rank ("Order").
  std::vector<std::uint16_t> selectionValues;
  std::uint8_t valuesOrder = 0;
  std::int32_t valuesSectors = 0;
  std::array<std::uint8_t, 180> directionMask{};  // 1 = direction selected
  std::array<std::uint8_t, 180> rose{};           // beam length in percent
};

// The most sectors a selection or the Order ranking can have: one per direction.
inline constexpr int kMaxLineamentSectors = 180;

// The Order values of the records: per sector of `sectors` (sector 0 being the one
// around 0 degrees), 51 for the strongest lineament (value, direction and group)
// down to 2 for the fiftieth; every other record 1 (all of them with no sector).
// 0, or 15 (nothing written) for more than kMaxLineamentSectors sectors.
int RankLineaments(std::span<const LineamentRecord> records, int sectors, std::span<std::uint16_t> values);

// The direction mask of the selection in `params` (by sector or by From/To). The
// sector choice writes From and To back. 15 for a sector outside 0..sectors.
int SelectLineamentDirections(CalcParameters& params, std::array<std::uint8_t, 180>& mask);

// Chains the marked cells of a gridWidth x gridHeight raster (row 0 at the top) into
// polylines, unmarking them, and adds them to `layer`; coordinates are scaled to an
// image of `imageWidth` pixels when it differs from the grid. 0, 3 when memory
// runs out or the layer refuses a polyline, or 11 when `progress` (the fraction of
// rows traced) answered false.
int TraceLineamentCells(std::span<std::uint8_t> marks, int gridWidth, int gridHeight, int imageWidth,
                        CVectorLayer3& layer, std::uint32_t color, int lineWidth,
                        const BuildProgress& progress = nullptr);

// The rose of per-direction counts (corrected for the 8-direction stripes by
// 1 / cos of the distance to the nearest axis), smoothed by a circular moving sum
// of `sumWindow` directions, drawn with `beams` beams about the centre of a
// width x height image. `rose` gets the beams in percent of the longest (all 0 when
// nothing is counted). 0, or 3 when memory runs out or the layer refuses.
int DrawLineamentRose(const std::array<double, 180>& counts, int beams, int sumWindow, int width, int height,
                      CVectorLayer3& layer, std::uint32_t color, int lineWidth, std::array<std::uint8_t, 180>& rose);

// Builds the lineaments layer (or, with params.lineamentRose, the lineament rose)
// named `name` and adds it to `stack`, replacing a layer of that name. Writes back
// From, To and the largest value. 0; 3 out of memory; 15 a sector outside
// 0..sectors (nothing built, From and To kept); 11 when `progress` answered false
// (the stack as it was; `params` and `selection` may have moved on).
int BuildLineamentsLayer(const CResults& results, CLineamentSelection& selection, CLayerStack& stack,
                         std::string name, CalcParameters& params, int lineWidth = 1,
                         const BuildProgress& progress = nullptr);

// The description of a lineament map built with these parameters; `rose` the beams
// when it is a rose, else null.
std::string LineamentsDescription(const CResults& results, const CalcParameters& params,
                                  const std::array<std::uint8_t, 180>* rose);

}  // namespace linea

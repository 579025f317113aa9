#include "project/map_panel_rules.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "base/messages.h"

namespace linea {

namespace {
constexpr int kStepLower = 1, kStepUpper = 100;
constexpr double kMaxMinDensity = 10000.0;
constexpr double kMaxMinElongation = 10.0;
constexpr std::int32_t kOrderBase = 52;

std::optional<CalcCheckFailure> Fail(std::string message, int control) {
  return CalcCheckFailure{std::move(message), control};
}
}  // namespace

std::int32_t LineamentSelectionValue(bool order, std::int32_t threshold) {
  if (!order) return threshold;
  // 52 - INT32_MIN does not fit: clamp rather than wrap to a negative value.
  return std::int32_t(std::clamp<std::int64_t>(std::int64_t(kOrderBase) - threshold, 0, INT32_MAX));
}

std::optional<CalcCheckFailure> StoreRoseMapFields(const RoseMapFields& f, CalcParameters& p) {
  p.localNormalisation = f.localNormalisation;
  p.globalNormalisation = f.globalNormalisation;
  p.mapKind = f.mapKind;
  p.scalingMode = f.scalingMode;
  p.vectorSize = f.vectorSize;
  p.roseSize = f.roseSize;
  p.minDensity = f.minDensity;
  p.minElongation = f.minElongation;
  p.mapFrom = f.mapFrom;
  p.mapTo = f.mapTo;
  p.vectorStep = f.vectorStep;
  p.roseStep = f.roseStep;
  p.lineStep = f.lineStep;

  auto outside = [](std::int32_t value) { return value < kStepLower || value > kStepUpper; };
  if (outside(p.roseStep)) return Fail(RangeMessage("Rose Step", kStepLower, kStepUpper), kControlRoseStep);
  if (outside(p.vectorStep)) return Fail(RangeMessage("Vector Step", kStepLower, kStepUpper), kControlVectorStep);
  if (outside(p.lineStep)) return Fail(RangeMessage("Line Step", kStepLower, kStepUpper), kControlLineStep);
  // Also checked while a vector kind hides the range.
  if (p.scalingMode == kScalingManual) {
    if (p.mapFrom < 0) return Fail(LowerBoundMessage("From", 0), kControlMapFrom);
    if (p.mapTo < 0) return Fail(LowerBoundMessage("To", 0), kControlMapTo);
    if (p.mapFrom > p.mapTo) return Fail(LessThanMessage("From", "To"), kControlMapFrom);
  }
  // Written so that a NaN (a field reading "nan") fails too.
  if (!(p.vectorSize >= 0.0)) return Fail(LowerBoundMessage("Vector Size", 0), kControlVectorSize);
  if (!(p.roseSize >= 0.0)) return Fail(LowerBoundMessage("Rose Size", 0), kControlRoseSize);
  if (!(p.minDensity >= 0.0 && p.minDensity <= kMaxMinDensity))
    return Fail(RangeMessage("Min Density", 0, int(kMaxMinDensity)), kControlMinDensity);
  if (!(p.minElongation > 0.0 && p.minElongation <= kMaxMinElongation))
    return Fail(RangeMessage("Min Elongation", 0, int(kMaxMinElongation)), kControlMinElongation);
  return std::nullopt;
}

std::optional<CalcCheckFailure> StoreLineamentFields(const LineamentFields& f, CalcParameters& p) {
  p.lineamentOrder = f.order ? 1 : 0;
  p.lineamentValue = LineamentSelectionValue(f.order, f.threshold);
  p.lineamentSelectionMode = f.range ? 1 : 0;
  p.lineamentSector = f.sector;
  p.lineamentSectors = f.sectors;
  p.lineamentFrom = f.from;
  p.lineamentTo = f.to;
  p.lineamentRose = f.rose;
  p.lineamentBeams = f.beams;
  p.lineamentSumWindow = f.sumWindow;
  p.lineamentColour = f.colour;

  if (f.range) {
    if (p.lineamentFrom < -180 || p.lineamentFrom > 180)
      return Fail(RangeMessage("From", -180, 180), kControlLineamentFrom);
    if (p.lineamentTo < 0 || p.lineamentTo > 360) return Fail(RangeMessage("To", 0, 360), kControlLineamentTo);
    if (p.lineamentFrom > p.lineamentTo) return Fail(LessThanMessage("From", "To"), kControlLineamentFrom);
  } else {
    if (p.lineamentSectors < 0 || p.lineamentSectors > 180)
      return Fail(RangeMessage("Sectors", 0, 180), kControlLineamentSectors);
    if (p.lineamentSector < 0 || p.lineamentSector > p.lineamentSectors)
      return Fail(RangeMessage("Select", 0, p.lineamentSectors), kControlLineamentSector);
  }
  if (p.lineamentBeams < 4 || p.lineamentBeams > 180) return Fail(RangeMessage("Beams", 4, 180), kControlLineamentBeams);
  if (p.lineamentSumWindow < 1 || p.lineamentSumWindow > 90)
    return Fail(RangeMessage("Window", 1, 90), kControlLineamentSumWindow);
  return std::nullopt;
}

}  // namespace linea

#include "project/calc_parameter_rules.h"

#include <algorithm>
#include <cmath>

#include "base/messages.h"
#include "base/profile_text.h"
#include "base/string_table.h"

namespace linea {
namespace {
constexpr int kMaskNotPrepared = 32848;
}

std::int64_t MaxRoseWindow(std::uint32_t imageWidth, std::uint32_t imageHeight) {
  return std::min<std::int64_t>(std::int64_t(std::min(imageWidth, imageHeight)) - 17, kMaxRoseWindow);
}

std::int32_t RoundRoseWindow(std::int32_t roseWindow) { return roseWindow / 8 * 8; }

double RoundCompressionRate(double rate) { return std::trunc(rate * 8 + 0.5) * 0.125; }

std::optional<CalcCheckFailure> CheckCalcParameters(CalcParameters& v, std::uint32_t imageWidth,
                                                    std::uint32_t imageHeight, bool maskLayerExists,
                                                    CAppHost& host) {
  auto fail = [](std::string message, int control) {
    return std::optional<CalcCheckFailure>(CalcCheckFailure{std::move(message), control});
  };
  if (v.TR_Linear < 0 || v.TR_Linear > 100) return fail(RangeMessage("Linear", 0, 100), kControlLinear);
  if (v.TR_Contrast < 0 || v.TR_Contrast > 255) return fail(RangeMessage("Contrast", 0, 255), kControlContrast);
  if (!(v.blockRoseSize >= 0)) return fail(LowerBoundMessage("Size", 0), kControlBlockRoseSize);

  // Without an image there is no size to bound the window by; the largest any
  // image allows holds.
  const bool noImage = imageWidth == 0 || imageHeight == 0;
  std::int64_t maxWindow = noImage ? kMaxRoseWindow : MaxRoseWindow(imageWidth, imageHeight);
  if (v.rose_wind < 8 || v.rose_wind > maxWindow)
    return fail(RangeMessage("Rose Window", 8, int(std::max<std::int64_t>(maxWindow, INT32_MIN))),
                kControlRoseWindow);
  if (v.rose_wind % 8 != 0) {
    std::int32_t rounded = RoundRoseWindow(v.rose_wind);
    if (!AskContinue(host, AutoCorrectMessage("RoseWind", FormatLong(rounded))))
      return fail(std::string(), kControlRoseWindow);
    v.rose_wind = rounded;
  }

  if (v.nb1 < 1 || v.nb1 > 9 || v.nb1 % 2 == 0) return fail(OddRangeMessage("Width", 1, 9), kControlLineamentWidth);
  if (v.AngW < 1 || v.AngW > 3) return fail(RangeMessage("Sector", 1, 3), kControlSectors);
  if (!(v.dfi >= 0)) return fail(LowerBoundMessage("Direction", 0), kControlDirection);
  if (!(v.dnh >= 0)) return fail(LowerBoundMessage("Distance", 0), kControlDistance);
  if (!(v.Part >= 0 && v.Part <= 2)) return fail(RangeMessage("Min", 0, 2), kControlMinLength);
  if (!(v.Filled_In > 0 && v.Filled_In <= 1)) return fail(RangeMessage("Filling", 0, 1), kControlFilling);
  if (!(v.Filled_Out > 0 && v.Filled_Out <= 1))
    return fail(RangeMessage("Filling in mask", 0, 1), kControlFillingInMask);
  if (!(v.Rate >= 1)) return fail(LowerBoundMessage("Compression", 1), kControlCompression);
  double roundedRate = RoundCompressionRate(v.Rate);
  if (roundedRate != v.Rate) {
    if (!AskContinue(host, AutoCorrectMessage("Compression", FormatFixed6(roundedRate))))
      return fail(std::string(), kControlCompression);
    v.Rate = roundedRate;
  }
  if (v.UseMask && !maskLayerExists) return fail(LoadText(kMaskNotPrepared), kControlUseMask);
  return std::nullopt;
}

bool ChangesStripeInputs(const CalcParameters& before, const CalcParameters& after) {
  return before.TR_Linear != after.TR_Linear || before.TR_Contrast != after.TR_Contrast ||
         before.Rate != after.Rate || before.UseMask != after.UseMask;
}

}  // namespace linea

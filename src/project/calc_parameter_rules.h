#pragma once
// The rules of the calculation-parameter dialog: range checks, the roundings of
// the rose window and the compression rate, their order, and the mask check.

#include <cstdint>
#include <optional>
#include <string>

#include "results/calc_parameters.h"

namespace linea {

class CAppHost;

// Dialog controls a failed check gives the focus to.
enum CalcDialogControl : int {
  kControlLinear = 1030,
  kControlContrast = 1031,
  kControlRoseWindow = 1032,
  kControlLineamentWidth = 1034,
  kControlDistance = 1035,
  kControlDirection = 1036,
  kControlSectors = 1040,
  kControlMinLength = 1047,
  kControlFilling = 1124,
  kControlCompression = 1125,
  kControlFillingInMask = 1126,
  kControlBlockRoseSize = 1127,
  kControlUseMask = 1154,
};

struct CalcCheckFailure {
  std::string message;  // empty when the user declined a proposed rounding
  int control = 0;
};

// The largest rose window of any image.
inline constexpr std::int64_t kMaxRoseWindow = 1500;
// The largest rose window an image of this size accepts: min(min(w, h) - 17, 1500).
std::int64_t MaxRoseWindow(std::uint32_t imageWidth, std::uint32_t imageHeight);
// The multiple of 8 next toward zero.
std::int32_t RoundRoseWindow(std::int32_t roseWindow);
// The nearest multiple of 1/8, halves rounded up.
double RoundCompressionRate(double rate);

// Runs every check in order and stops at the first failure. A rounding is offered
// through the host (message 32843 and "Хотите продолжить?"); Yes stores the rounded
// value into `values` and goes on. Nothing is shown for a failed range check: the
// caller shows the returned message and focuses the control.
std::optional<CalcCheckFailure> CheckCalcParameters(CalcParameters& values, std::uint32_t imageWidth,
                                                    std::uint32_t imageHeight, bool maskLayerExists,
                                                    CAppHost& host);

// True when an edit changes what the stripes depend on: the thresholds, the
// compression rate or the use of the mask.
bool ChangesStripeInputs(const CalcParameters& before, const CalcParameters& after);

}  // namespace linea

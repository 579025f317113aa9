#pragma once
// The rules of the two map panels, without widgets: how the rose panel (dialog
// 131) and the lineament panel (dialog 137) store their fields into the
// parameters and check them, in order, with the control a failure focuses.
// The panels and linea-cli both go through here.

#include <cstdint>
#include <optional>

#include "project/calc_parameter_rules.h"
#include "results/calc_parameters.h"

namespace linea {

// Edit boxes of the rose panel a failed check gives the focus to.
enum RosePanelControl : int {
  kControlVectorStep = 1009,
  kControlRoseStep = 1010,
  kControlLineStep = 1011,
  kControlMapFrom = 1012,
  kControlMapTo = 1013,
  kControlRoseSize = 1020,
  kControlVectorSize = 1021,
  kControlMinDensity = 1111,
  kControlMinElongation = 1124,
};

// Edit boxes of the lineament panel a failed check gives the focus to.
enum LineamentPanelControl : int {
  kControlLineamentSector = 1043,
  kControlLineamentBeams = 1046,
  kControlLineamentSectors = 1051,
  kControlLineamentFrom = 1052,
  kControlLineamentTo = 1053,
  kControlLineamentSumWindow = 1058,
};

// The rose panel's fields once read: the edit texts already converted.
struct RoseMapFields {
  bool localNormalisation = false;
  bool globalNormalisation = false;
  char mapKind = 'a';  // MapKindCode of the chosen entry
  std::uint8_t scalingMode = kScalingPercent;
  double vectorSize = 1.0, roseSize = 1.0, minDensity = 40.0, minElongation = 1.0;
  std::int32_t mapFrom = 0, mapTo = 255;
  std::int32_t vectorStep = 2, roseStep = 4, lineStep = 2;
};

// The lineament panel's fields once read.
struct LineamentFields {
  bool range = false;  // "Диапазон": select by From/To instead of a sector
  bool order = false;
  bool rose = false;
  std::int32_t threshold = 99;
  std::int32_t sector = 0, sectors = 8;
  std::int32_t from = 0, to = 180;
  std::int32_t beams = 180, sumWindow = 23;
  std::uint32_t colour = 0x0000FF;  // 0x00BBGGRR: red
};

// The stored selection value: with order on, max(0, 52 - threshold); otherwise
// the threshold itself.
std::int32_t LineamentSelectionValue(bool order, std::int32_t threshold);

// Both store every field into `params` first (they stay stored when a check
// fails), then check in order and stop at the first failure. The caller shows
// the message and focuses the control.
std::optional<CalcCheckFailure> StoreRoseMapFields(const RoseMapFields& fields, CalcParameters& params);
std::optional<CalcCheckFailure> StoreLineamentFields(const LineamentFields& fields, CalcParameters& params);

}  // namespace linea

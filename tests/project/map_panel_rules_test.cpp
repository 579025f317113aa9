#include <gtest/gtest.h>

#include <cmath>

#include "project/map_panel_rules.h"

namespace linea {
namespace {

// The control of a failure, 0 when every check passed.
int ControlOf(const std::optional<CalcCheckFailure>& failure) { return failure ? failure->control : 0; }

TEST(RoseMapRules, DefaultFieldsPassAndEveryFieldIsStored) {
  RoseMapFields fields;
  fields.localNormalisation = true;
  fields.mapKind = 'u';
  fields.scalingMode = kScalingNone;
  fields.vectorSize = 2.5;
  fields.minElongation = 3.0;
  fields.mapTo = 77;
  fields.lineStep = 9;
  CalcParameters params;
  EXPECT_FALSE(StoreRoseMapFields(fields, params));
  EXPECT_TRUE(params.localNormalisation);
  EXPECT_EQ(params.mapKind, 'u');
  EXPECT_EQ(params.scalingMode, kScalingNone);
  EXPECT_EQ(params.vectorSize, 2.5);
  EXPECT_EQ(params.minElongation, 3.0);
  EXPECT_EQ(params.mapTo, 77);
  EXPECT_EQ(params.lineStep, 9);
}

TEST(RoseMapRules, ChecksRunInOrderWithTheirMessageAndControl) {
  // Every field wrong at once; each round repairs the one that failed, so the
  // next failure shows which check comes after it.
  RoseMapFields fields;
  fields.scalingMode = kScalingManual;
  fields.roseStep = 0;
  fields.vectorStep = 101;
  fields.lineStep = -3;
  fields.mapFrom = -1;
  fields.mapTo = -2;
  fields.vectorSize = -0.1;
  fields.roseSize = -1;
  fields.minDensity = 10000.5;
  fields.minElongation = 0;
  struct Step {
    const char* message;
    int control;
    void (*repair)(RoseMapFields&);
  };
  const Step steps[] = {
      {"Значение параметра Rose Step должно быть от 1 до 100.", 1010, [](RoseMapFields& f) { f.roseStep = 100; }},
      {"Значение параметра Vector Step должно быть от 1 до 100.", 1009, [](RoseMapFields& f) { f.vectorStep = 1; }},
      {"Значение параметра Line Step должно быть от 1 до 100.", 1011, [](RoseMapFields& f) { f.lineStep = 2; }},
      {"Значение параметра From должно быть больше или равно 0.", 1012, [](RoseMapFields& f) { f.mapFrom = 300; }},
      {"Значение параметра To должно быть больше или равно 0.", 1013, [](RoseMapFields& f) { f.mapTo = 200; }},
      {"Значение параметра From должно быть меньше значения параметра To.", 1012,
       [](RoseMapFields& f) { f.mapTo = 300; }},
      {"Значение параметра Vector Size должно быть больше или равно 0.", 1021,
       [](RoseMapFields& f) { f.vectorSize = 0; }},
      {"Значение параметра Rose Size должно быть больше или равно 0.", 1020, [](RoseMapFields& f) { f.roseSize = 0; }},
      {"Значение параметра Min Density должно быть от 0 до 10000.", 1111,
       [](RoseMapFields& f) { f.minDensity = 10000; }},
      {"Значение параметра Min Elongation должно быть от 0 до 10.", 1124,
       [](RoseMapFields& f) { f.minElongation = 10; }},
  };
  for (const Step& step : steps) {
    CalcParameters params;
    const auto failure = StoreRoseMapFields(fields, params);
    ASSERT_TRUE(failure) << step.message;
    EXPECT_EQ(failure->message, step.message);
    EXPECT_EQ(failure->control, step.control) << step.message;
    EXPECT_EQ(params.minDensity, fields.minDensity);  // stored before the checks
    step.repair(fields);
  }
  CalcParameters params;
  EXPECT_FALSE(StoreRoseMapFields(fields, params));
}

TEST(RoseMapRules, RangeIsCheckedOnlyInManualScaling) {
  RoseMapFields fields;
  fields.mapFrom = 200;
  fields.mapTo = -5;
  CalcParameters params;
  for (std::uint8_t mode : {kScalingAuto, kScalingNone, kScalingPercent}) {
    fields.scalingMode = mode;
    EXPECT_FALSE(StoreRoseMapFields(fields, params)) << int(mode);
  }
  fields.mapTo = 100;
  fields.scalingMode = kScalingManual;
  const auto failure = StoreRoseMapFields(fields, params);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->control, kControlMapFrom);
  fields.mapTo = 200;  // equal ends are a range
  EXPECT_FALSE(StoreRoseMapFields(fields, params));
}

TEST(RoseMapRules, NotANumberFailsTheSizeAndLimitChecks) {
  CalcParameters params;
  RoseMapFields fields;
  fields.roseSize = std::nan("");
  auto failure = StoreRoseMapFields(fields, params);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->control, kControlRoseSize);
  fields.roseSize = 0;
  fields.minElongation = std::nan("");
  failure = StoreRoseMapFields(fields, params);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->control, kControlMinElongation);
}

TEST(LineamentRules, StoresTheSelectionValueAndEveryField) {
  EXPECT_EQ(LineamentSelectionValue(true, 5), 47);
  EXPECT_EQ(LineamentSelectionValue(true, 52), 0);
  EXPECT_EQ(LineamentSelectionValue(true, -2147483647 - 1), 2147483647);  // no overflow
  EXPECT_EQ(LineamentSelectionValue(true, 99), 0);
  EXPECT_EQ(LineamentSelectionValue(false, 99), 99);
  LineamentFields fields;
  fields.order = true;
  fields.threshold = 10;
  fields.rose = true;
  fields.sector = 3;
  fields.colour = 0x00FF00;
  fields.sumWindow = 90;
  CalcParameters params;
  EXPECT_FALSE(StoreLineamentFields(fields, params));
  EXPECT_EQ(params.lineamentValue, 42);
  EXPECT_EQ(params.lineamentOrder, 1);
  EXPECT_EQ(params.lineamentSelectionMode, 0);
  EXPECT_TRUE(params.lineamentRose);
  EXPECT_EQ(params.lineamentSector, 3);
  EXPECT_EQ(params.lineamentColour, 0x00FF00u);
  EXPECT_EQ(params.lineamentSumWindow, 90);
}

TEST(LineamentRules, SectorAndRangeChecksDependOnTheMode) {
  LineamentFields fields;
  fields.from = 200;  // a bad range is ignored while selecting by sector
  fields.to = 10;
  fields.sectors = 181;
  CalcParameters params;
  auto failure = StoreLineamentFields(fields, params);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message, "Значение параметра Sectors должно быть от 0 до 180.");
  EXPECT_EQ(failure->control, kControlLineamentSectors);
  fields.sectors = 4;
  fields.sector = 5;
  failure = StoreLineamentFields(fields, params);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message, "Значение параметра Select должно быть от 0 до 4.");
  EXPECT_EQ(failure->control, kControlLineamentSector);

  fields.range = true;  // now the bad sector is ignored and the range is checked
  failure = StoreLineamentFields(fields, params);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message, "Значение параметра From должно быть от -180 до 180.");
  EXPECT_EQ(failure->control, kControlLineamentFrom);
  EXPECT_EQ(params.lineamentSelectionMode, 1);
  fields.from = -180;
  fields.to = 361;
  failure = StoreLineamentFields(fields, params);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->control, kControlLineamentTo);
  fields.from = 100;
  fields.to = 90;
  failure = StoreLineamentFields(fields, params);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message, "Значение параметра From должно быть меньше значения параметра To.");
  EXPECT_EQ(failure->control, kControlLineamentFrom);
  fields.to = 360;
  EXPECT_FALSE(StoreLineamentFields(fields, params));
}

TEST(LineamentRules, BeamsThenWindowComeAfterTheDirections) {
  LineamentFields fields;
  fields.sector = -1;
  fields.beams = 3;
  fields.sumWindow = 0;
  CalcParameters params;
  EXPECT_EQ(ControlOf(StoreLineamentFields(fields, params)), kControlLineamentSector);
  fields.sector = 0;
  auto failure = StoreLineamentFields(fields, params);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message, "Значение параметра Beams должно быть от 4 до 180.");
  EXPECT_EQ(failure->control, kControlLineamentBeams);
  fields.beams = 181;
  EXPECT_EQ(ControlOf(StoreLineamentFields(fields, params)), kControlLineamentBeams);
  fields.beams = 4;
  failure = StoreLineamentFields(fields, params);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message, "Значение параметра Window должно быть от 1 до 90.");
  EXPECT_EQ(failure->control, kControlLineamentSumWindow);
  fields.sumWindow = 1;
  EXPECT_FALSE(StoreLineamentFields(fields, params));
}

}  // namespace
}  // namespace linea

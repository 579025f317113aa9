#include <gtest/gtest.h>

#include "project/calc_parameter_rules.h"
#include "support/test_host.h"

namespace linea {
namespace {

class CalcRules : public ::testing::Test {
 protected:
  std::optional<CalcCheckFailure> Check(std::uint32_t width = 1000, std::uint32_t height = 1000,
                                        bool maskExists = false) {
    return CheckCalcParameters(values, width, height, maskExists, host);
  }
  CalcParameters values;
  CTestHost host;
};

TEST_F(CalcRules, DefaultsPassEveryCheck) {
  EXPECT_FALSE(Check());
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(CalcRules, RangeChecksNameTheParameterAndTheControl) {
  struct Case {
    void (*change)(CalcParameters&);
    const char* message;
    int control;
  };
  const Case cases[] = {
      {[](CalcParameters& p) { p.TR_Linear = 101; }, "Значение параметра Linear должно быть от 0 до 100.", 1030},
      {[](CalcParameters& p) { p.TR_Contrast = -1; }, "Значение параметра Contrast должно быть от 0 до 255.", 1031},
      {[](CalcParameters& p) { p.blockRoseSize = -0.5; },
       "Значение параметра Size должно быть больше или равно 0.", 1127},
      {[](CalcParameters& p) { p.rose_wind = 7; }, "Значение параметра Rose Window должно быть от 8 до 983.", 1032},
      {[](CalcParameters& p) { p.nb1 = 4; }, "Значение параметра Width должно быть  нечетным числом от 1 до 9.", 1034},
      {[](CalcParameters& p) { p.AngW = 4; }, "Значение параметра Sector должно быть от 1 до 3.", 1040},
      {[](CalcParameters& p) { p.dfi = -1; }, "Значение параметра Direction должно быть больше или равно 0.", 1036},
      {[](CalcParameters& p) { p.dnh = -1; }, "Значение параметра Distance должно быть больше или равно 0.", 1035},
      {[](CalcParameters& p) { p.Part = 2.5; }, "Значение параметра Min должно быть от 0 до 2.", 1047},
      {[](CalcParameters& p) { p.Filled_In = 0; }, "Значение параметра Filling должно быть от 0 до 1.", 1124},
      {[](CalcParameters& p) { p.Filled_Out = 1.5; },
       "Значение параметра Filling in mask должно быть от 0 до 1.", 1126},
      {[](CalcParameters& p) { p.Rate = 0.5; }, "Значение параметра Compression должно быть больше или равно 1.",
       1125},
      {[](CalcParameters& p) { p.UseMask = true; }, "Маска не подготовлена", 1154},
  };
  for (const auto& c : cases) {
    values = CalcParameters{};
    c.change(values);
    auto failure = Check();
    ASSERT_TRUE(failure) << c.message;
    EXPECT_EQ(failure->message, c.message);
    EXPECT_EQ(failure->control, c.control);
  }
}

TEST_F(CalcRules, FillingOfOneIsAcceptedAndTheMaskCheckPassesWithAMask) {
  values.Filled_In = 1.0;
  values.Filled_Out = 1.0;
  values.UseMask = true;
  EXPECT_FALSE(Check(1000, 1000, true));
}

TEST_F(CalcRules, TheChecksRunInTheirOrderAndStopAtTheFirst) {
  values.TR_Contrast = 300;
  values.Rate = 0.1;
  values.rose_wind = 3;
  auto failure = Check();
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->control, 1031);
}

TEST_F(CalcRules, ARoseWindowIsOfferedAsTheMultipleOfEightBelow) {
  values.rose_wind = 70;
  host.yesNoAnswers = {true};
  EXPECT_FALSE(Check());
  EXPECT_EQ(values.rose_wind, 64);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "Параметр RoseWind будет автоматически изменен на ближайшее корректное значение (64).\nХотите "
            "продолжить?");
  EXPECT_EQ(host.messages[0].caption, "Linea");
}

TEST_F(CalcRules, TheRoseWindowBoundFollowsTheImageAndIsThenRounded) {
  values.rose_wind = 44;
  auto failure = Check(100, 60);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message, "Значение параметра Rose Window должно быть от 8 до 43.");
  values.rose_wind = 43;
  host.yesNoAnswers = {true};
  EXPECT_FALSE(Check(100, 60));
  EXPECT_EQ(values.rose_wind, 40);
}

TEST_F(CalcRules, DecliningARoundingKeepsTheDialogOpenWithoutAMessage) {
  values.rose_wind = 70;
  host.yesNoAnswers = {false};
  auto failure = Check();
  ASSERT_TRUE(failure);
  EXPECT_TRUE(failure->message.empty());
  EXPECT_EQ(failure->control, 1032);
  EXPECT_EQ(values.rose_wind, 70);
}

TEST_F(CalcRules, CompressionRatesAreOfferedAsTheNearestEighth) {
  EXPECT_DOUBLE_EQ(RoundCompressionRate(1.3), 1.25);
  EXPECT_DOUBLE_EQ(RoundCompressionRate(1.0625), 1.125);
  values.Rate = 1.3;
  host.yesNoAnswers = {true};
  EXPECT_FALSE(Check());
  EXPECT_DOUBLE_EQ(values.Rate, 1.25);
  EXPECT_EQ(host.messages.back().text,
            "Параметр Compression будет автоматически изменен на ближайшее корректное значение (1.250000).\nХотите "
            "продолжить?");
  host.messages.clear();
  values.Rate = 2.5;
  EXPECT_FALSE(Check());
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(CalcRules, ATinyImageAcceptsNoRoseWindow) {
  values.rose_wind = 8;
  auto failure = Check(10, 10);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->control, 1032);
}

}  // namespace
}  // namespace linea

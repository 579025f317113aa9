#include <gtest/gtest.h>

#include "base/field_kinds.h"
#include "base/string_table.h"

namespace linea {
namespace {

TEST(FieldKinds, TheFullListNamesEveryKindInRussianAndEnglish) {
  ASSERT_EQ(FieldKindNameIds().size(), 21u);
  EXPECT_EQ(LoadText(FieldKindNameIds()[0]), "ПЛОТНОСТЬ");
  EXPECT_EQ(LoadText(FieldKindNameIds()[4]), "ПЛОТНОСТЬ 4");
  EXPECT_EQ(LoadText(FieldKindNameIds()[14]), "ОТЛИЧИЕ РОЗ");
  EXPECT_EQ(LoadText(FieldKindNameIds()[20]), "ОРТОГОНАЛЬНЫЕ ЛИНИИ");
  EXPECT_EQ(LoadText(FieldKindEnglishNameIds()[11]), "CRUSIFORMANCE");
  EXPECT_EQ(LoadText(FieldKindEnglishNameIds()[14]), "Rose Difference");
  for (int id : FieldKindNameIds()) EXPECT_FALSE(LoadText(id).empty()) << id;
  for (int id : FieldKindEnglishNameIds()) EXPECT_FALSE(LoadText(id).empty()) << id;
}

TEST(MapKinds, EachNormalisationChoiceOffersItsOwnList) {
  EXPECT_EQ(MapKindCount(false, false), 21);
  EXPECT_EQ(MapKindCount(false, true), 12);
  EXPECT_EQ(MapKindCount(true, false), 10);
  EXPECT_EQ(MapKindCount(true, true), 2);

  EXPECT_EQ(MapKindCode(false, false, 0), 'a');
  EXPECT_EQ(MapKindCode(false, false, 14), '{');
  EXPECT_EQ(MapKindCode(false, true, 0), 'r');
  EXPECT_EQ(MapKindCode(false, true, 11), 'y');
  EXPECT_EQ(MapKindCode(true, false, 0), '1');
  EXPECT_EQ(MapKindCode(true, false, 8), 'b');
  EXPECT_EQ(MapKindCode(true, true, 1), 'z');

  EXPECT_EQ(MapKindName(true, false, 9), "РОЗЫ");
  EXPECT_EQ(MapKindName(false, true, 5), "ОТЛИЧИЕ РОЗ");
  EXPECT_EQ(MapKindName(true, true, 0), "ЛОКАЛЬНАЯ РАЗНИЦА");
}

TEST(MapKinds, NamesMatchCodesInEveryList) {
  for (int local = 0; local < 2; ++local)
    for (int global = 0; global < 2; ++global)
      for (int i = 0; i < MapKindCount(local, global); ++i) {
        char code = MapKindCode(local, global, i);
        int place = MapKindIndex(code);
        ASSERT_GE(place, 0);
        EXPECT_EQ(MapKindName(local, global, i), LoadText(FieldKindNameIds()[place]));
      }
}

TEST(MapKinds, PositionsAndCodesOutsideTheListsGiveNothing) {
  EXPECT_EQ(MapKindCode(true, true, 2), 0);
  EXPECT_EQ(MapKindCode(false, false, -1), 0);
  EXPECT_EQ(MapKindName(false, true, 12), "");
  EXPECT_EQ(MapKindEnglishName('v'), "ELONGATION VECTOR");
  EXPECT_EQ(MapKindEnglishName('{'), "Rose Difference");
  EXPECT_EQ(MapKindEnglishName('#'), "");
}

}  // namespace
}  // namespace linea

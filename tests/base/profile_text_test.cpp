#include <gtest/gtest.h>

#include "base/profile_text.h"
#include "support/test_files.h"

namespace linea {
namespace {

class ProfileTextRead : public ::testing::Test {
 protected:
  // Writes `text` as a file of the temporary folder and reads it.
  int ReadText(const std::string& text, const std::string& name = "project.orw") {
    WriteTextFile(folder.File(name), text);
    return profile.Read(folder.File(name));
  }
  CTempFolder folder;
  ProfileText profile;
};

TEST_F(ProfileTextRead, SectionNamesIgnoreCaseButNotBlanks) {
  ASSERT_EQ(ReadText("[Main]\nA = 1\n[main]\nB = 2\n[ Main ]\nC = 3\n"), 0);
  EXPECT_EQ(profile.GetText("MAIN", "a"), "1");
  EXPECT_EQ(profile.GetText("Main", "B"), "2");
  EXPECT_FALSE(profile.GetText("Main", "C"));
  EXPECT_EQ(profile.GetText(" Main ", "c"), "3");
  EXPECT_EQ(profile.Sections().size(), 2u);
}

TEST_F(ProfileTextRead, ValueIsTheFirstWordAndCommentsAreIgnored) {
  ASSERT_EQ(ReadText("[Compression]\nRate = 2.5 ; fast\nName = two words\n; Hidden = 1\nPlain=7\nNoEquals here\n"), 0);
  EXPECT_EQ(profile.GetText("Compression", "Rate"), "2.5");
  EXPECT_DOUBLE_EQ(profile.GetDouble("Compression", "Rate"), 2.5);
  EXPECT_EQ(profile.GetText("Compression", "Name"), "two");
  EXPECT_FALSE(profile.GetText("Compression", "Hidden"));
  EXPECT_EQ(profile.GetInt("Compression", "Plain"), 7);
  EXPECT_EQ(profile.Sections()[0].entries.size(), 3u);
}

TEST_F(ProfileTextRead, TextBeforeTheFirstHeaderIsIgnored) {
  ASSERT_EQ(ReadText("Key = 1\n[Main]\nOther = 2\n"), 0);
  ASSERT_EQ(profile.Sections().size(), 1u);
  EXPECT_FALSE(profile.GetText("Main", "Key"));
  EXPECT_EQ(profile.GetText("Main", "Other"), "2");
}

TEST_F(ProfileTextRead, AHeaderWithoutClosingBracketEndsReadingKeepingWhatWasRead) {
  ASSERT_EQ(ReadText("[Main]\nA = 1\n[Broken\nB = 2\n[Later]\nC = 3\n"), 0);
  EXPECT_EQ(profile.GetText("Main", "A"), "1");
  EXPECT_FALSE(profile.GetText("Main", "B"));
  EXPECT_FALSE(profile.GetText("Later", "C"));
  EXPECT_EQ(profile.Sections().size(), 1u);
}

TEST_F(ProfileTextRead, WindowsLineEndsReadTheSame) {
  ASSERT_EQ(ReadText("[Main]\r\nBaseImage = C:\\data\\image.tif\r\ntype = 3\r\n"), 0);
  EXPECT_EQ(profile.GetText("Main", "BaseImage"), "C:\\data\\image.tif");
  EXPECT_EQ(profile.GetInt("Main", "type"), 3);
}

TEST_F(ProfileTextRead, ReadingStopsAtTheSeventeenthSection) {
  std::string text;
  for (int i = 0; i < 17; ++i) text += "[S" + std::to_string(i) + "]\nK = " + std::to_string(i) + "\n";
  ASSERT_EQ(ReadText(text), 0);
  EXPECT_EQ(profile.Sections().size(), 16u);
  EXPECT_EQ(profile.GetText("S15", "K"), "15");
  EXPECT_FALSE(profile.GetText("S16", "K"));
}

TEST_F(ProfileTextRead, EntriesBeyondOneHundredSixtyAreDropped) {
  std::string text = "[Main]\n";
  for (int i = 0; i < 170; ++i) text += "K" + std::to_string(1000 + i) + " = " + std::to_string(i) + "\n";
  ASSERT_EQ(ReadText(text), 0);
  EXPECT_EQ(profile.Sections()[0].entries.size(), 160u);
  EXPECT_EQ(profile.GetText("Main", "K1159"), "159");
  EXPECT_FALSE(profile.GetText("Main", "K1160"));
}

TEST_F(ProfileTextRead, SectionsAreSortedByKeyAfterReading) {
  ASSERT_EQ(ReadText("[Main]\nzeta = 1\nAlpha = 2\nbeta = 3\n"), 0);
  const auto& entries = profile.Sections()[0].entries;
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].key, "Alpha");
  EXPECT_EQ(entries[1].key, "beta");
  EXPECT_EQ(entries[2].key, "zeta");
  EXPECT_TRUE(profile.Sections()[0].sorted);
  // Adding to a sorted section replaces an existing key and inserts new ones in place.
  EXPECT_EQ(profile.SetText("main", "BETA", "30"), 0);
  EXPECT_EQ(profile.SetText("main", "gamma", "4"), 0);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(profile.GetText("Main", "beta"), "30");
  EXPECT_EQ(entries[2].key, "gamma");
}

TEST_F(ProfileTextRead, LongValuesAndPathsAreReadWhole) {
  std::string value(300, 'v');
  ASSERT_EQ(ReadText("[Main]\nBaseImage = " + value + "\n"), 0);
  EXPECT_EQ(profile.GetText("Main", "BaseImage"), value);
}

TEST_F(ProfileTextRead, IncludeReadsTheOtherFileFromTheSameFolderAtThatPlace) {
  WriteTextFile(folder.File("common.inc"), "[Shared]\nColour = red\n");
  ASSERT_EQ(ReadText("[Main]\nA = 1\n#include common.inc\nB = 2\n#pragma once\n[Last]\nC = 3\n"), 0);
  EXPECT_EQ(profile.GetText("Main", "A"), "1");
  EXPECT_EQ(profile.GetText("Shared", "Colour"), "red");
  // The included file left "Shared" current, so B lands there.
  EXPECT_EQ(profile.GetText("Shared", "B"), "2");
  EXPECT_EQ(profile.GetText("Last", "C"), "3");
}

TEST_F(ProfileTextRead, AnIncludeWithAPathIsTakenAsWritten) {
  CTempFolder other;
  WriteTextFile(other.File("values.inc"), "[Other]\nX = 5\n");
  ASSERT_EQ(ReadText("#INCLUDE " + other.File("values.inc") + "\n"), 0);
  EXPECT_EQ(profile.GetInt("Other", "X"), 5);
}

TEST_F(ProfileTextRead, AMissingIncludeFailsTheWholeRead) {
  EXPECT_EQ(ReadText("[Main]\nA = 1\n#include nowhere.inc\n"), 4);
}

TEST_F(ProfileTextRead, AFileThatIncludesItselfFailsInsteadOfRecursingForever) {
  EXPECT_EQ(ReadText("[Main]\n#include self.orw\n", "self.orw"), 4);
}

TEST_F(ProfileTextRead, AMissingFileGivesCodeFour) {
  EXPECT_EQ(profile.Read(folder.File("absent.orw")), 4);
}

TEST(ProfileTextValues, ConversionsTakeTheLeadingNumberAndZeroWhenMissing) {
  ProfileText profile;
  profile.SetText("S", "Int", "42abc");
  profile.SetText("S", "Neg", "-17");
  profile.SetText("S", "Dbl", "3.25xyz");
  profile.SetText("S", "Word", "abc");
  EXPECT_EQ(profile.GetInt("S", "Int"), 42);
  EXPECT_EQ(profile.GetInt("S", "Neg"), -17);
  EXPECT_DOUBLE_EQ(profile.GetDouble("S", "Dbl"), 3.25);
  EXPECT_DOUBLE_EQ(profile.GetDouble("S", "Int"), 42.0);
  EXPECT_EQ(profile.GetInt("S", "Word"), 0);
  EXPECT_EQ(profile.GetInt("S", "Missing"), 0);
  EXPECT_DOUBLE_EQ(profile.GetDouble("Missing", "Dbl"), 0.0);
}

TEST(ProfileTextValues, NumbersAreWrittenAsLongAndSixDecimals) {
  ProfileText profile;
  profile.SetInt("Main", "type", -3);
  profile.SetDouble("Compression", "Rate", 1.0);
  profile.SetDouble("Calc", "Part", 0.125);
  EXPECT_EQ(profile.GetText("Main", "type"), "-3");
  EXPECT_EQ(profile.GetText("Compression", "Rate"), "1.000000");
  EXPECT_EQ(profile.GetText("Calc", "Part"), "0.125000");
}

TEST(ProfileTextValues, UnsortedSectionsKeepRepeatedKeysAndInsertionOrder) {
  ProfileText profile;
  profile.SetText("Main", "b", "1");
  profile.SetText("Main", "a", "2");
  profile.SetText("Main", "b", "3");
  const auto& entries = profile.Sections()[0].entries;
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].value, "1");
  EXPECT_EQ(entries[2].value, "3");
}

TEST(ProfileTextValues, TheSeventeenthSectionAndTheHundredSixtyFirstEntryAreRefused) {
  ProfileText profile;
  for (int i = 0; i < 16; ++i) ASSERT_EQ(profile.SetInt("S" + std::to_string(i), "k", i), 0);
  EXPECT_EQ(profile.SetInt("S16", "k", 16), 8);
  for (int i = 1; i < 160; ++i) ASSERT_EQ(profile.SetInt("S0", "k" + std::to_string(i), i), 0);
  EXPECT_EQ(profile.SetInt("S0", "one-too-many", 0), 8);
  EXPECT_EQ(profile.Sections().size(), 16u);
  EXPECT_EQ(profile.Sections()[0].entries.size(), 160u);
}

TEST(ProfileTextWrite, WritesTheHeaderAndSectionsInTableOrder) {
  ProfileText profile;
  profile.SetText("Version", "Number", "3.1");
  profile.SetText("Main", "BaseImage", "image.tif");
  profile.SetInt("Main", "type", 1);
  std::tm when{};
  when.tm_year = 2026 - 1900;
  when.tm_mon = 11;
  when.tm_mday = 8;
  when.tm_hour = 9;
  when.tm_min = 5;
  when.tm_sec = 7;
  when.tm_isdst = -1;
  std::time_t t = std::mktime(&when);
  std::string dashes(78, '-');
  EXPECT_EQ(profile.Serialize(t), ";" + dashes + "\n; Linea workspace file created by Linea Tue Dec  8 09:05:07 2026\n;" +
                                      dashes + "\n\n[Version]\nNumber = 3.1\n\n[Main]\nBaseImage = image.tif\ntype = 1\n");
}

TEST(ProfileTextWrite, AWrittenFileReadsBackWithTheSameValues) {
  CTempFolder folder;
  ProfileText written;
  written.SetText("Version", "Number", "3.1");
  written.SetText("Main", "BaseImage", std::string(500, 'p') + ".tif");
  written.SetDouble("Compression", "Rate", 2.0);
  written.SetInt("Calc stripes", "TR_Linear", 40);
  ASSERT_EQ(written.Write(folder.File("p.orw")), 0);
  ProfileText read;
  ASSERT_EQ(read.Read(folder.File("p.orw")), 0);
  EXPECT_EQ(read.GetText("version", "number"), "3.1");
  EXPECT_EQ(read.GetText("Main", "BaseImage"), std::string(500, 'p') + ".tif");
  EXPECT_DOUBLE_EQ(read.GetDouble("Compression", "Rate"), 2.0);
  EXPECT_EQ(read.GetInt("Calc stripes", "TR_Linear"), 40);
  EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"p.orw"});
}

TEST(ProfileTextWrite, AFileThatCannotBeCreatedGivesCodeFourAndLeavesNothing) {
  CTempFolder folder;
  ProfileText profile;
  profile.SetText("Main", "A", "1");
  EXPECT_EQ(profile.Write(folder.File("missing-folder/p.orw")), 4);
  EXPECT_TRUE(ListFolder(folder.Path()).empty());
}

}  // namespace
}  // namespace linea

#include <gtest/gtest.h>

#include "base/profile_text.h"
#include "results/result_files.h"
#include "results/results.h"
#include "support/test_files.h"

namespace linea {
namespace {

class ResultFiles : public ::testing::Test {
 protected:
  std::string Project() const { return folder.File("x.orw"); }
  std::string Base() const { return folder.File("x"); }
  void MarkCalculated(const char* section) { profile.SetInt(section, "Calculated", 1); }
  CTempFolder folder;
  ProfileText profile;
  CResults results;
};

TEST_F(ResultFiles, StripesOfAnotherSizeAreLoadedWithTheirOwnSizeAndClassed) {
  results.SetImageGeometry(4, 4, 1, 1);
  WriteBytes(Base() + ".str", {1, 15, 16, 0, 7});
  MarkCalculated("Calc stripes");
  LoadResults(results, profile, Project());
  ASSERT_TRUE(results.hasStripes);
  EXPECT_EQ(results.stripeCodes, (std::vector<std::uint8_t>{1, 15, 16, 0, 7}));
  EXPECT_EQ(results.stripeClasses, (std::vector<std::uint8_t>{1, 8, 1, 0, 4}));
  // No .gr: the rose is counted from the stripes.
  EXPECT_TRUE(results.hasGlobalRose);
  EXPECT_EQ(results.globalRose, (std::array<std::int32_t, 8>{2, 0, 0, 1, 0, 0, 0, 1}));
}

TEST_F(ResultFiles, MissingOrEmptyStripesClearTheFlag) {
  MarkCalculated("Calc stripes");
  LoadResults(results, profile, Project());
  EXPECT_FALSE(results.hasStripes);
  EXPECT_FALSE(results.hasGlobalRose);
  WriteBytes(Base() + ".str", {});
  LoadResults(results, profile, Project());
  EXPECT_FALSE(results.hasStripes);
}

TEST_F(ResultFiles, TheGlobalRoseIsReadOnlyWithTheStripes) {
  WriteTextFile(Base() + ".gr", "1\n2\n3\n4\n5\n6\n7\n8\n");
  LoadResults(results, profile, Project());
  EXPECT_FALSE(results.hasGlobalRose);
  WriteBytes(Base() + ".str", {3});
  MarkCalculated("Calc stripes");
  LoadResults(results, profile, Project());
  EXPECT_TRUE(results.hasGlobalRose);
  EXPECT_EQ(results.globalRose, (std::array<std::int32_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(ResultFiles, ACutShortGlobalRoseIsCountedFromTheStripesInstead) {
  results.SetImageGeometry(2, 1, 1, 1);
  WriteBytes(Base() + ".str", {3, 3});
  WriteTextFile(Base() + ".gr", "9\n9\n9\n");
  MarkCalculated("Calc stripes");
  LoadResults(results, profile, Project());
  EXPECT_TRUE(results.hasGlobalRose);
  EXPECT_EQ(results.globalRose, (std::array<std::int32_t, 8>{0, 2, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ResultFiles, WindowRosesAreSixteenBitValuesAndAnOddByteIsIgnored) {
  WriteBytes(Base() + ".ros", {1, 0, 0, 1, 0xFF});
  MarkCalculated("Calc window roses");
  LoadResults(results, profile, Project());
  ASSERT_TRUE(results.hasWindowRoses);
  EXPECT_EQ(results.windowRoses, (std::vector<std::uint16_t>{1, 256}));
  WriteBytes(Base() + ".ros", {7});
  LoadResults(results, profile, Project());
  EXPECT_FALSE(results.hasWindowRoses);
}

TEST_F(ResultFiles, BlockRosesNeedEveryAnnouncedRecord) {
  MarkCalculated("Calc Block Rose");
  std::string record = "1\n2\n3\n10\n20\n30\n40\n50\n60\n70\n80\n";
  WriteTextFile(Base() + ".br", "2\n" + record + record);
  LoadResults(results, profile, Project());
  ASSERT_TRUE(results.hasBlockRoses);
  ASSERT_EQ(results.blockRoseCount(), 2);
  EXPECT_EQ(results.blockRoses[1].header, (std::array<std::int32_t, 3>{1, 2, 3}));
  EXPECT_EQ(results.blockRoses[1].sectors[7], 80);

  WriteTextFile(Base() + ".br", "5\n" + record + record + record + record);
  LoadResults(results, profile, Project());
  EXPECT_FALSE(results.hasBlockRoses);
}

TEST_F(ResultFiles, AHugeBlockCountDoesNotDecideTheAllocation) {
  MarkCalculated("Calc Block Rose");
  WriteTextFile(Base() + ".br", "2147483647\n1\n2\n3\n");
  LoadResults(results, profile, Project());
  EXPECT_FALSE(results.hasBlockRoses);
  WriteTextFile(Base() + ".br", "-4\n");
  LoadResults(results, profile, Project());
  EXPECT_FALSE(results.hasBlockRoses);
}

TEST_F(ResultFiles, LineamentsAreTenByteRecordsAndARemainderIsIgnored) {
  std::vector<std::uint8_t> bytes(25);
  bytes[4] = 45;
  bytes[6] = 0x34;
  bytes[7] = 0x12;
  WriteBytes(Base() + ".orl", bytes);
  MarkCalculated("Calc lineaments");
  LoadResults(results, profile, Project());
  ASSERT_TRUE(results.hasLineaments);
  ASSERT_EQ(results.lineamentCount(), 2u);
  EXPECT_EQ(results.lineaments[0].Direction(), 45);
  EXPECT_EQ(results.lineaments[0].Length(), 0x1234);
  WriteBytes(Base() + ".orl", std::vector<std::uint8_t>(9));
  LoadResults(results, profile, Project());
  EXPECT_FALSE(results.hasLineaments);
}

TEST_F(ResultFiles, SavingWritesThePresentFilesBesideTheProject) {
  results.SetImageGeometry(2, 2, 1, 1);
  results.stripeCodes = {1, 2, 3, 16};
  results.DeriveStripeClasses();
  results.hasStripes = true;
  results.globalRose = {1, 2, 3, 4, 5, 6, 7, -8};
  results.hasGlobalRose = true;
  results.windowRoses = {1, 2, 3, 4, 5, 6, 7, 65535};
  results.hasWindowRoses = true;
  BlockRose rose;
  rose.header = {1, -2, 3};
  rose.sectors = {10, 20, 30, 40, 50, 60, 70, 80};
  results.blockRoses = {rose};
  results.hasBlockRoses = true;
  LineamentRecord record;
  record.bytes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  results.lineaments = {record};
  results.hasLineaments = true;

  ASSERT_EQ(SaveResults(results, profile, Project()), 0);
  EXPECT_EQ(ReadBytes(Base() + ".str"), (std::vector<std::uint8_t>{1, 2, 3, 16}));
  EXPECT_EQ(ReadTextFile(Base() + ".gr"), "1\n2\n3\n4\n5\n6\n7\n-8\n");
  EXPECT_EQ(ReadBytes(Base() + ".ros").size(), 16u);
  EXPECT_EQ(ReadBytes(Base() + ".ros")[15], 0xFF);
  EXPECT_EQ(ReadTextFile(Base() + ".br"), "1\n1\n-2\n3\n10\n20\n30\n40\n50\n60\n70\n80\n");
  EXPECT_EQ(ReadBytes(Base() + ".orl"), (std::vector<std::uint8_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(profile.GetInt("Main", "Width"), 2);
  EXPECT_EQ(profile.GetInt("Calc lineaments", "Calculated"), 1);

  CResults loaded;
  LoadResults(loaded, profile, Project());
  EXPECT_EQ(loaded.stripeCodes, results.stripeCodes);
  EXPECT_EQ(loaded.globalRose, results.globalRose);
  EXPECT_EQ(loaded.windowRoses, results.windowRoses);
  EXPECT_EQ(loaded.blockRoses, results.blockRoses);
  EXPECT_EQ(loaded.lineaments, results.lineaments);
}

TEST_F(ResultFiles, AFileThatCannotBeCreatedStopsTheSaveAndKeepsTheOldOne) {
  results.SetImageGeometry(1, 1, 1, 1);
  results.stripeCodes = {5};
  results.hasStripes = true;
  std::string missing = folder.File("gone/x.orw");
  EXPECT_EQ(SaveResults(results, profile, missing), 4);
  EXPECT_EQ(profile.GetInt("Calc stripes", "Calculated"), 0);
  EXPECT_FALSE(profile.GetText("Calc window roses", "Calculated"));
}

TEST_F(ResultFiles, StripesShorterThanTheGridAreWrittenAsHeld) {
  results.SetImageGeometry(10, 10, 1, 1);
  results.stripeCodes = {4, 4, 4};
  results.hasStripes = true;
  ASSERT_EQ(SaveResults(results, profile, Project()), 0);
  EXPECT_EQ(ReadBytes(Base() + ".str").size(), 3u);
}

TEST_F(ResultFiles, ACombinationProjectWritesOnlyItsWindowRoses) {
  results.SetImageGeometry(8, 8, 1, 1);
  results.hasStripes = true;
  results.stripeCodes.assign(64, 1);
  results.windowRoses.assign(8, 3);
  results.hasWindowRoses = true;
  ASSERT_EQ(SaveCombinationResults(results, profile, Project()), 0);
  EXPECT_EQ(profile.GetInt("Calc stripes", "Calculated"), 0);
  EXPECT_EQ(profile.GetInt("Calc window roses", "Calculated"), 1);
  EXPECT_EQ(profile.GetInt("Calc Block Rose", "Calculated"), 0);
  EXPECT_FALSE(FileExists(Base() + ".str"));
  EXPECT_TRUE(FileExists(Base() + ".ros"));
  // A roses file that cannot be created only drops the roses.
  ProfileText other;
  EXPECT_EQ(SaveCombinationResults(results, other, folder.File("gone/y.orw")), 0);
  EXPECT_EQ(other.GetInt("Calc window roses", "Calculated"), 0);
}

TEST(ResultFileNames, AreTheProjectPathWithoutItsExtension) {
  EXPECT_EQ(ResultFileBase("/p/x.orw"), "/p/x");
  EXPECT_EQ(ResultFileBase("C:\\p\\x.orw"), "C:\\p\\x");
  EXPECT_EQ(ResultFileBase("ab"), "");
}

}  // namespace
}  // namespace linea

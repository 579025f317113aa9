#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>

#include "base/atomic_file.h"
#include "base/binary_io.h"
#include "base/checked_alloc.h"
#include "support/test_files.h"

namespace linea {
namespace {

TEST(ByteReader, ReadsLittleEndianAndNeverPastTheEnd) {
  const std::uint8_t bytes[] = {0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0x01};
  ByteReader reader(bytes);
  EXPECT_EQ(reader.U16(), 0x1234);
  EXPECT_EQ(reader.U32(), 0x12345678u);
  EXPECT_EQ(reader.S16(), -1);
  EXPECT_FALSE(reader.Failed());
  EXPECT_EQ(reader.U32(), 0u);  // only one byte left
  EXPECT_TRUE(reader.Failed());
  EXPECT_EQ(reader.U8(), 0);
  EXPECT_EQ(reader.Remaining(), 0u);
}

TEST(ByteWriter, WritesWhatTheReaderReads) {
  ByteWriter writer;
  writer.S32(-123456);
  writer.U16(0xBEEF);
  writer.F64(-2.75);
  ASSERT_EQ(writer.Data().size(), 14u);
  EXPECT_EQ(writer.Data()[0], 0xC0);  // -123456 = 0xFFFE1DC0
  ByteReader reader(writer.Data());
  EXPECT_EQ(reader.S32(), -123456);
  EXPECT_EQ(reader.U16(), 0xBEEF);
  EXPECT_DOUBLE_EQ(reader.F64(), -2.75);
}

TEST(CheckedAlloc, RefusesOverflowingAndAbsurdSizesWithoutThrowing) {
  EXPECT_FALSE(CheckedMultiply(std::uint64_t(1) << 40, std::uint64_t(1) << 30));
  EXPECT_EQ(CheckedMultiply(3, 5, 7), 105u);
  std::vector<std::uint32_t> buffer(4, 9);
  EXPECT_FALSE(TryResize(buffer, std::uint64_t(1) << 62));
  EXPECT_EQ(buffer.size(), 4u);  // unchanged on failure
  EXPECT_TRUE(TryResize(buffer, 16));
  EXPECT_EQ(buffer.size(), 16u);
  EXPECT_EQ(buffer[0], 0u);
  EXPECT_EQ(TryAllocateArray<std::uint64_t>(std::uint64_t(1) << 61), nullptr);
}

TEST(ReadFileBytes, RefusesFilesAboveTheLimitAndMissingFiles) {
  CTempFolder folder;
  WriteBytes(folder.File("f.bin"), {1, 2, 3, 4, 5});
  std::vector<std::uint8_t> out;
  EXPECT_EQ(ReadFileBytes(folder.File("f.bin"), out, 4), ReadFileResult::TooLarge);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(ReadFileBytes(folder.File("f.bin"), out, 5), ReadFileResult::Ok);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(ReadFileBytes(folder.File("none.bin"), out, 100), ReadFileResult::CannotOpen);
  EXPECT_EQ(ReadFileBytes(folder.Path(), out, 100), ReadFileResult::CannotOpen);  // a folder
  EXPECT_EQ(FileSize(folder.File("f.bin")), 5);
  EXPECT_EQ(FileSize(folder.File("none.bin")), -1);
}

TEST(ReadFileBytes, InSlicesReportsTheShareReadGivesTheSameBytesAndStopsWhenTold) {
  CTempFolder folder;
  // 20 MiB and a bit: three slices, the last one short.
  std::vector<std::uint8_t> bytes((std::size_t(20) << 20) + 7);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = std::uint8_t(i * 131 + (i >> 13));
  WriteBytes(folder.File("big.bin"), bytes);
  std::vector<double> heard;
  std::vector<std::uint8_t> out;
  const auto listen = [&](double fraction) {
    heard.push_back(fraction);
    return true;
  };
  ASSERT_EQ(ReadFileBytes(folder.File("big.bin"), out, bytes.size(), listen), ReadFileResult::Ok);
  EXPECT_EQ(out, bytes);
  ASSERT_EQ(heard.size(), 4u);
  EXPECT_EQ(heard.front(), 0.0);
  EXPECT_TRUE(std::is_sorted(heard.begin(), heard.end()));
  EXPECT_EQ(heard.back(), 1.0);
  EXPECT_EQ(ReadFileBytes(folder.File("big.bin"), out, bytes.size() - 1, listen), ReadFileResult::TooLarge);

  // Stopped before any slice, between slices and after the last: `out` keeps what it had.
  for (const std::size_t stopAt : {0u, 2u, 3u}) {
    std::vector<std::uint8_t> kept{9, 9};
    std::size_t calls = 0;
    const auto stop = [&](double) { return calls++ < stopAt; };
    EXPECT_EQ(ReadFileBytes(folder.File("big.bin"), kept, bytes.size(), stop), ReadFileResult::Stopped);
    EXPECT_EQ(kept, (std::vector<std::uint8_t>{9, 9}));
  }
  // An empty file is read with one report.
  WriteBytes(folder.File("empty.bin"), {});
  heard.clear();
  EXPECT_EQ(ReadFileBytes(folder.File("empty.bin"), out, 10, listen), ReadFileResult::Ok);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(heard, std::vector<double>{1.0});
}

TEST(AtomicFile, ReplacesTheTargetOnlyWhenCommitted) {
  CTempFolder folder;
  std::string target = folder.File("result.str");
  WriteTextFile(target, "old contents");
  {
    CAtomicFile file;
    ASSERT_TRUE(file.Open(target));
    file.Write("new");
    // Dropped without commit: the previous file stays, no temporary is left.
  }
  EXPECT_EQ(ReadTextFile(target), "old contents");
  EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"result.str"});

  CAtomicFile file;
  ASSERT_TRUE(file.Open(target));
  file.Write("new contents");
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadTextFile(target), "new contents");
  EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"result.str"});
}

TEST(AtomicFile, AcceptsBackslashPathsAndReportsFolderlessTargets) {
  CTempFolder folder;
  EXPECT_EQ(WriteFileAtomically(folder.File("a.txt"), std::string("text")), 0);
  EXPECT_EQ(ReadTextFile(folder.File("a.txt")), "text");
  EXPECT_EQ(WriteFileAtomically(folder.File("no/such/folder.txt"), std::string("x")), 4);
}

TEST(AtomicFile, NewFilesGetTheUsualPermissions) {
  CTempFolder folder;
  ASSERT_EQ(WriteFileAtomically(folder.File("p.txt"), std::string("x")), 0);
  struct stat info {};
  ASSERT_EQ(::stat(folder.File("p.txt").c_str(), &info), 0);
  mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(info.st_mode & 0777, 0666u & ~mask);
}

}  // namespace
}  // namespace linea

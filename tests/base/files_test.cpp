#include <gtest/gtest.h>

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

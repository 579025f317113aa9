#include <gtest/gtest.h>

#include "base/paths.h"

namespace linea {
namespace {

TEST(Paths, FolderAndFileNameSplitAtTheLastSeparatorOfEitherKind) {
  EXPECT_EQ(FolderPart("C:\\data\\maps/image.tif"), "C:\\data\\maps/");
  EXPECT_EQ(FileNamePart("C:\\data\\maps/image.tif"), "image.tif");
  EXPECT_EQ(FolderPart("/home/user\\image.tif"), "/home/user\\");
  EXPECT_EQ(FileNamePart("/home/user\\image.tif"), "image.tif");
  EXPECT_EQ(FolderPart("image.tif"), "");
  EXPECT_EQ(FileNamePart("image.tif"), "image.tif");
  EXPECT_EQ(FileNamePart("folder/"), "");
  EXPECT_TRUE(HasSeparator("a\\b"));
  EXPECT_FALSE(HasSeparator("ab"));
}

TEST(Paths, ExtensionsBelongToTheFileNameOnly) {
  EXPECT_EQ(WithoutExtension("/p/project.orw"), "/p/project");
  EXPECT_EQ(ExtensionPart("/p/project.orw"), ".orw");
  EXPECT_EQ(WithoutExtension("/p.d/project"), "/p.d/project");
  EXPECT_EQ(ExtensionPart("C:\\p.d\\project"), "");
}

TEST(Paths, FoldersCompareWithoutCase) {
  EXPECT_TRUE(EqualsNoCase("C:\\Data\\", "c:\\data\\"));
  EXPECT_FALSE(EqualsNoCase("C:\\Data\\", "C:\\Dat\\"));
}

TEST(StoredText, ValidUtf8StaysAndWindows1251BecomesUtf8) {
  EXPECT_EQ(StoredTextToUtf8("Карта.tif"), "Карта.tif");
  // "Карта" in Windows-1251.
  EXPECT_EQ(StoredTextToUtf8("\xCA\xE0\xF0\xF2\xE0.tif"), "Карта.tif");
  EXPECT_EQ(StoredTextToUtf8("\xA8\xB8"), "Ёё");
  EXPECT_EQ(StoredTextToUtf8("plain"), "plain");
}

TEST(StoredText, BrokenOrOverlongSequencesAreNotUtf8) {
  EXPECT_FALSE(IsValidUtf8("\xC0\x80"));      // overlong zero
  EXPECT_FALSE(IsValidUtf8("\xD0"));          // cut short
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF8\x88\x80\x80\x80"));
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
}

}  // namespace
}  // namespace linea

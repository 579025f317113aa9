// TIFF, BMP and PNG are saved as they are encoded, straight into the temporary
// file of the save: the file must hold exactly the bytes the encoder makes in
// memory, and an encoder whose output fails part-way must say so.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/binary_io.h"
#include "image_samples.h"
#include "imaging/image.h"
#include "imaging/image_codecs.h"
#include "support/test_files.h"

namespace linea {
namespace {

constexpr int kStreamedFormats[] = {kImageFormatTiff, kImageFormatBmp, kImageFormatPng};

std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  EXPECT_EQ(ReadFileBytes(path, bytes, std::uint64_t(1) << 30), ReadFileResult::Ok);
  return bytes;
}

// A memory sink that refuses every write once `budget` bytes have been taken.
class CShortSink : public CByteSink {
 public:
  explicit CShortSink(std::uint64_t budget) : sink_(bytes_), budget_(budget) {}
  bool Write(const void* data, std::size_t size) override {
    if (sink_.Position() + size > budget_) return false;
    return sink_.Write(data, size);
  }
  bool Seek(std::uint64_t position) override { return sink_.Seek(position); }
  std::uint64_t Position() const override { return sink_.Position(); }
  std::uint64_t Size() const override { return sink_.Size(); }

 private:
  std::vector<std::uint8_t> bytes_;
  CMemorySink sink_;
  std::uint64_t budget_;
};

TEST(StreamedSave, FileHoldsTheBytesEncodedInMemory) {
  CTempFolder folder;
  // Odd widths, and pictures of many TIFF strips (a strip holds about 8 KB).
  for (const auto& [width, height] : {std::pair{1, 1}, {7, 3}, {301, 97}, {1000, 40}})
    for (int bits : {8, 24})
      for (int format : kStreamedFormats) {
        const CImage image = MakePatternImage(width, height, bits);
        const std::string path = folder.File("picture." + std::to_string(format));
        ASSERT_TRUE(image.Save(path, format));
        EXPECT_EQ(FileBytes(path), Encode(image, format)) << format << " " << width << "x" << height << " " << bits;
        CImage loaded;
        ASSERT_TRUE(loaded.Load(path));
        ExpectSameImage(image, loaded);
      }
  // Nothing but the saved files is left behind: the temporary files were renamed.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    ++files;
  }
  EXPECT_EQ(files, 3);
}

TEST(StreamedSave, OutputThatFailsPartWayIsReported) {
  const CImage image = MakePatternImage(123, 90, 24);
  for (int format : kStreamedFormats) {
    const ImageCodec* codec = FindCodecByFormat(format);
    ASSERT_NE(codec, nullptr);
    ASSERT_NE(codec->stream, nullptr);
    const std::uint64_t size = Encode(image, format).size();
    for (std::uint64_t budget : {std::uint64_t(0), std::uint64_t(7), size / 3, size / 2, size - 1}) {
      CShortSink sink(budget);
      EXPECT_FALSE(codec->stream(image, sink)) << format << " with " << budget << " of " << size << " bytes";
    }
    CShortSink roomy(size);
    EXPECT_TRUE(codec->stream(image, roomy)) << format;
  }
}

TEST(StreamedSave, FailedSaveKeepsThePreviousFile) {
  CTempFolder folder;
  const std::string path = folder.File("kept.tif");
  const CImage first = MakePatternImage(20, 10, 8);
  ASSERT_TRUE(first.Save(path, kImageFormatTiff));
  const std::vector<std::uint8_t> before = FileBytes(path);
  // A folder that does not exist: the save fails and the file is untouched.
  EXPECT_FALSE(first.Save(folder.File("no/such/folder.tif"), kImageFormatTiff));
  EXPECT_EQ(FileBytes(path), before);
}

}  // namespace
}  // namespace linea

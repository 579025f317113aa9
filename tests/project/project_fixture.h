#pragma once
// A workspace over a scripted host, in a temporary folder, with helpers that
// write small rasters and project files.

#include <gtest/gtest.h>

#include <string>

#include "imaging/image.h"
#include "project/workspace.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {

class ProjectFixture : public ::testing::Test {
 protected:
  ProjectFixture() : workspace(host) {}

  // An 8-bit image of `width` x `height` whose pixel (x, y) is (x + 2y) mod 256.
  static void WriteImage(const std::string& path, int width, int height) {
    CImage image;
    ASSERT_TRUE(image.Create(width, height, 8));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) image.Row(y)[x] = std::uint8_t((x + 2 * y) & 0xFF);
    ASSERT_TRUE(image.Save(path, kImageFormatBmp));
  }

  // A minimal project text of the given version around a base image.
  static std::string ProjectText(const std::string& version, const std::string& baseImage,
                                 const std::string& extraMain = "") {
    return "[Version]\nNumber = " + version + "\n[Main]\nBaseImage = " + baseImage + "\ntype = 1\nLineWidth = 1\n" +
           "DefaultLineWidth = 1\nWidth = 6\nHeight = 4\nBytes = 1\n" + extraMain + "[Compression]\nRate = 1.0\n";
  }

  CTestHost host;
  CWorkspace workspace;
  CTempFolder folder;
};

}  // namespace linea

#include <gtest/gtest.h>

#include <memory>

#include "layers/bitmap_layer.h"
#include "layers/description_file.h"
#include "layers/layer_stack.h"
#include "layers/vector_layer.h"
#include "layers/vector_layer3.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {
namespace {

TEST(Description, WritesVisibleLayersInCompositionOrderAsTxo) {
  CTestHost host;
  CLayerStack stack(host);
  auto lines = std::make_unique<CVectorLayer3>("Lines", true);
  lines->SetDescription("lines");
  stack.AddLayer(std::move(lines));
  auto drawing = std::make_unique<CVectorLayer>("Drawing", true);
  drawing->SetDescription("drawing");
  stack.AddLayer(std::move(drawing));
  auto hidden = std::make_unique<CVectorLayer>("Hidden", true);
  hidden->SetDescription("hidden");
  hidden->SetVisible(false);
  stack.AddLayer(std::move(hidden));
  auto base = std::make_unique<CBitmapLayer>("Base", false);
  base->SetDescription("base");
  stack.AddLayer(std::move(base));

  CTempFolder folder;
  ASSERT_TRUE(WriteDescription(stack, folder.File("notes.txt")));
  EXPECT_EQ(ReadTextFile(folder.File("notes.txo")), "base\ndrawing\nlines\n");
  EXPECT_FALSE(FileExists(folder.File("notes.txt")));
  EXPECT_EQ(DescriptionPath("/a.b/notes"), "/a.b/notes.txo");
  EXPECT_FALSE(WriteDescription(stack, folder.File("gone/notes.txt")));
}

}  // namespace
}  // namespace linea

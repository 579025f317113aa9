// Writes the small demo project that scripts/run-demo opens:
//   linea_make_demo_project <folder> [name]
#include <cstdio>
#include <string>

#include "base/app_host.h"
#include "demo_project.h"

namespace {

// Messages go to standard error; questions take their default answer.
class CConsoleHost : public linea::CAppHost {
 public:
  void ShowMessage(const std::string& caption, const std::string& text, linea::MessageIcon) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  }
  bool AskYesNo(const std::string& caption, const std::string& text, linea::MessageIcon icon) override {
    ShowMessage(caption, text, icon);
    return false;
  }
  std::optional<std::string> AskLayerName(const std::string& proposed) override { return proposed; }
  linea::ImageSizeAnswer AskImageSize(const linea::ImageSizeAnswer& proposal) override { return proposal; }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: linea_make_demo_project <folder> [name]\n");
    return 2;
  }
  CConsoleHost host;
  const std::string project = linea::WriteDemoProject(host, argv[1], argc == 3 ? argv[2] : "demo");
  if (project.empty()) return 1;
  std::printf("%s\n", project.c_str());
  return 0;
}

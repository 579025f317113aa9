// linea-cli: the headless entry point of Linea. For now it reports the version
// and the raster formats the imaging layer reads and writes.
#include <cstdio>
#include <cstring>

#include "base/string_table.h"
#include "imaging/image_codecs.h"

namespace {

void PrintUsage() {
  std::printf("usage: linea-cli [--version] [--formats]\n");
}

void PrintFormats() {
  std::printf("%-6s %-5s %-5s %s\n", "code", "read", "write", "format");
  for (const auto& codec : linea::ImageCodecs())
    std::printf("%-6d %-5s %-5s %s\n", codec.formatCode, codec.read ? "yes" : "no",
                codec.write ? "yes" : "no", codec.name);
}

}  // namespace

int main(int argc, char** argv) {
  bool any = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("Linea %s (project format %s)\n", LINEA_VERSION, linea::LoadText(1100).c_str());
      any = true;
    } else if (std::strcmp(argv[i], "--formats") == 0) {
      PrintFormats();
      any = true;
    } else {
      PrintUsage();
      return 2;
    }
  }
  if (!any) {
    std::printf("Linea %s (project format %s)\n", LINEA_VERSION, linea::LoadText(1100).c_str());
    PrintFormats();
  }
  return 0;
}

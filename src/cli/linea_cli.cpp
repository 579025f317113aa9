// linea-cli: Linea without a window. Opens projects exactly as the program does,
// builds result layers through the same workspace entry points, and writes the
// composed picture, its description and reduced base images.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/string_table.h"
#include "cli/cli_commands.h"
#include "cli/cli_host.h"
#include "imaging/image_codecs.h"

namespace {

void PrintVersion() {
  std::printf("Linea %s (project format %s)\n", LINEA_VERSION, linea::LoadText(1100).c_str());
}

void PrintFormats() {
  std::printf("%-6s %-5s %-5s %s\n", "code", "read", "write", "format");
  for (const auto& codec : linea::ImageCodecs())
    std::printf("%-6d %-5s %-5s %s\n", codec.formatCode, codec.read ? "yes" : "no",
                codec.write ? "yes" : "no", codec.name);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    PrintVersion();
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--formats") == 0) {
    PrintFormats();
    return 0;
  }
  std::vector<std::string> arguments(argv + 1, argv + argc);
  linea::CCliHost host(stderr);
  return linea::RunCli(arguments, host, stdout, stderr);
}

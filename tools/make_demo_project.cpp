// Writes the small demo project that scripts/run-demo opens:
//   linea_make_demo_project <folder> [name]
#include <cstdio>
#include <string>

#include "cli/cli_host.h"
#include "demo_project.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: linea_make_demo_project <folder> [name]\n");
    return 2;
  }
  linea::CCliHost host;
  const std::string project = linea::WriteDemoProject(host, argv[1], argc == 3 ? argv[2] : "demo");
  if (project.empty()) return 1;
  std::printf("%s\n", project.c_str());
  return 0;
}

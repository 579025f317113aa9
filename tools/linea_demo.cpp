// linea-demo: writes a demo project.
//   linea-demo --kind grey|dtm|scheme --size WxH [--base FILE] [--rate R]
//              [--rose-window N] [--seed S] [--extent XW XE YS YN] --out DIR/NAME.orw
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_host.h"
#include "demo_generator.h"

int main(int argc, char** argv) {
  linea::DemoGeneratorOptions options;
  const std::string problem = linea::ParseDemoArguments(std::vector<std::string>(argv + 1, argv + argc), options);
  if (!problem.empty()) {
    std::fprintf(stderr,
                 "linea-demo: %s\nusage: linea-demo --kind grey|dtm|scheme --size WxH [--base FILE] [--rate R]\n"
                 "                  [--rose-window N] [--seed S] [--extent XW XE YS YN] --out DIR/NAME.orw\n",
                 problem.c_str());
    return 2;
  }
  linea::CCliHost host(stderr);
  if (linea::GenerateDemoProject(host, options) != 0) return 1;
  std::printf("%s\n", options.outPath.c_str());
  return 0;
}

// Any bytes as the option list of `linea-cli render` over a small demo project:
// the arguments are the input's lines (at most kMaxArguments of them), run through
// the batch tool's parser and, when it accepts them, through the whole render
// (layers, composition, picture, world file, description). The first byte picks
// the project: a greyscale one or an elevation model, each with every result.
//
// Output files are kept inside the scratch folder: the argument "@txo" stands for
// the description file there, and an option list that names any other file to
// write is skipped, so the fuzzer cannot write elsewhere.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "demo_generator.h"
#include "fuzz_support.h"
#include "layers/description_file.h"
#include "layers/raster_import.h"

namespace {

constexpr std::size_t kMaxArguments = 48;
constexpr std::size_t kMaxArgumentLength = 64;
constexpr int kDemoWidth = 96, kDemoHeight = 64;
// Pictures wider than this take seconds to encode under the sanitizers: such zooms
// are the user's right, but not the fuzzer's time.
constexpr double kMaxPictureWidth = 1024;

const std::string& DemoProject(bool elevation) {
  static const std::vector<std::string> projects = [] {
    std::vector<std::string> made;
    linea::fuzz::CSilentHost host;
    for (linea::DemoKind kind : {linea::DemoKind::Grey, linea::DemoKind::Elevation}) {
      linea::DemoGeneratorOptions options;
      options.kind = kind;
      options.width = kDemoWidth;
      options.height = kDemoHeight;
      options.roseWindow = 8;
      options.rate = kind == linea::DemoKind::Grey ? 1.0 : 2.0;
      options.outPath = linea::fuzz::ScratchFolder() + (kind == linea::DemoKind::Grey ? "grey.orw" : "dtm.orw");
      if (linea::GenerateDemoProject(host, options) != 0) std::abort();
      made.push_back(options.outPath);
    }
    return made;
  }();
  return projects[elevation ? 1 : 0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string& project = DemoProject(data[0] & 1);
  const std::string folder = linea::fuzz::ScratchFolder();
  const char* extensions[] = {".png", ".tif", ".bmp"};
  const std::string output = folder + "out" + extensions[(data[0] >> 1) % 3];
  const std::string description = folder + "out.txo";

  std::vector<std::string> options;
  std::string current;
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == '\n') {
      options.push_back(current);
      current.clear();
      if (options.size() > kMaxArguments) return 0;
    } else if (current.size() < kMaxArgumentLength) {
      current += char(data[i]);
    }
  }
  options.push_back(current);
  for (std::string& option : options)
    if (option == "@txo") option = description;
  options.insert(options.begin(), project);
  options.push_back("-o");
  options.push_back(output);

  // The parser on its own (without "--timings", which the command takes first); then
  // only lists that write nothing but our own files go on.
  std::vector<std::string> parsed;
  for (const std::string& option : options)
    if (option != "--timings") parsed.push_back(option);
  linea::RenderRequest request;
  const std::string problem = linea::ParseRenderArguments(parsed, request);
  if (problem.empty()) {
    if (request.project != project || request.output != output) return 0;
    if (!request.description.empty() && request.description != description) return 0;
    if (request.zoom * kDemoWidth > kMaxPictureWidth) return 0;
  }

  std::vector<std::string> arguments{"render"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  std::FILE* sink = std::fopen("/dev/null", "w");
  if (!sink) std::abort();
  linea::fuzz::CSilentHost host;
  const int code = linea::RunCli(arguments, host, sink, sink);
  std::fclose(sink);
  // A refused command line is a usage failure; an accepted one either renders or
  // fails with a reported failure (1).
  if (!problem.empty() && code != 2) std::abort();
  if (problem.empty() && code != 0 && code != 1) std::abort();
  for (const std::string& path : {output, linea::WorldFilePath(output), linea::DescriptionPath(description)})
    std::remove(path.c_str());
  return 0;
}

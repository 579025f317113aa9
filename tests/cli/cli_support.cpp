#include "cli_support.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "cli/cli_commands.h"
#include "cli/cli_host.h"
#include "demo_generator.h"
#include "imaging/image.h"

namespace linea {

namespace {
std::string ReadAll(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  std::fclose(file);
  return text;
}
}  // namespace

CliRun RunCliCaptured(const std::vector<std::string>& arguments) {
  std::FILE* out = std::tmpfile();
  std::FILE* errors = std::tmpfile();
  CliRun run;
  {
    CCliHost host(errors);
    run.exitCode = RunCli(arguments, host, out, errors);
  }
  std::fflush(out);
  std::fflush(errors);
  run.out = ReadAll(out);
  run.errors = ReadAll(errors);
  return run;
}

std::string MakeDemo(const std::string& folder, const std::string& name, const std::string& kind, int width,
                     int height, double rate, std::uint32_t seed) {
  DemoGeneratorOptions options;
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  const std::string out = folder + name + ".orw";
  const std::string problem = ParseDemoArguments({"--kind", kind, "--size", size, "--rate", std::to_string(rate),
                                                  "--seed", std::to_string(seed), "--out", out},
                                                 options);
  EXPECT_EQ(problem, "");
  CCliHost host;
  EXPECT_EQ(GenerateDemoProject(host, options), 0);
  return out;
}

std::uint64_t PixelChecksum(const CImage& image) {
  std::uint64_t hash = 1469598103934665603ull;
  const std::size_t bytes = std::size_t(image.GetWidth()) * std::size_t(image.GetBytesPerPixel());
  for (int y = 0; y < image.GetHeight(); ++y) {
    const std::uint8_t* row = image.Row(y);
    for (std::size_t i = 0; i < bytes; ++i) hash = (hash ^ row[i]) * 1099511628211ull;
  }
  return hash;
}

std::uint64_t TextChecksum(const std::string& text) {
  std::uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

CImage LoadRender(const std::string& path) {
  CImage image;
  EXPECT_TRUE(image.Load(path)) << path;
  return image;
}

}  // namespace linea

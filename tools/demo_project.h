#pragma once
// A small synthetic project for trying the program and for its GUI tests: an
// 8-bit greyscale image of two families of ridges, the stripes found along their
// crests and the global rose counted from them, saved as a project with its
// result files. Written through the workspace itself, so the files are exactly
// what the program writes.

#include <string>

namespace linea {

class CAppHost;

struct DemoProjectOptions {
  int width = 480;
  int height = 360;
  bool stripes = true;
  bool globalRose = true;
};

// Writes `<folder>/<name>.bmp` and `<folder>/<name>.orw` with its result files.
// The path of the project on success; "" (with the message shown through `host`)
// on failure.
std::string WriteDemoProject(CAppHost& host, const std::string& folder, const std::string& name,
                             const DemoProjectOptions& options = {});

// The grey level of the demo image at a pixel of an image `width` pixels wide.
int DemoImageLevel(int x, int y, int width);

}  // namespace linea

#pragma once
// The commands of linea-cli: info, render and compress. Each opens what it needs
// exactly as the program does and reports failures through the host with the
// program's own messages.

#include <cstdio>
#include <string>
#include <vector>

namespace linea {

class CAppHost;
class CImage;
struct CSaveSettings;

// Exit codes: 0 success, 1 a failure already reported through the host, 2 a
// command line that cannot be understood (usage printed to `errors`).
int RunCli(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* out, std::FILE* errors);

// The composition scaled by nearest neighbour to trunc(width * zoom) by
// trunc(height * zoom) pixels, the source pixel of target x being trunc(x / zoom).
// False when the scaled image cannot be made.
bool ScaleNearest(const CImage& source, double zoom, CImage& target);

// The six lines of a world file for an image at `zoom` times the project's size:
// pixel width, two zero rotations, pixel height, and the left and top edges, in the
// form the program reads back. Empty when the settings give no georeference (all
// four corners 0).
std::string WorldFileText(const CSaveSettings& settings, double zoom);

}  // namespace linea

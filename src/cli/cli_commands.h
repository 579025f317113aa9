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
class CWorkspace;
struct RenderRequest;

// Exit codes: 0 success, 1 a failure already reported through the host, 2 a
// command line that cannot be understood (usage printed to `errors`).
int RunCli(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* out, std::FILE* errors);

// The composition scaled by nearest neighbour to trunc(width * zoom) by
// trunc(height * zoom) pixels, the source pixel of target x being trunc(x / zoom).
// False when the scaled image cannot be made.
bool ScaleNearest(const CImage& source, double zoom, CImage& target);

// The six lines of a world file for an image at `zoom` times the project's size, as
// GIS tools read them: pixel width, rotations, pixel height, and the centre of the
// upper-left pixel. Empty when the settings give no georeference (all four corners 0).
std::string WorldFileText(const CSaveSettings& settings, double zoom);

// Opens the project of `request` into `workspace` and builds its layers in order;
// 0, or 1 after the program's message.
int BuildRenderLayers(const RenderRequest& request, CWorkspace& workspace, CAppHost& host, std::FILE* errors);

}  // namespace linea

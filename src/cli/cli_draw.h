#pragma once
// linea-cli draw: scheme lines drawn over a project as the drawing tool draws them,
// written as a picture, with the name and description of each drawing made.

#include <cstdio>
#include <string>
#include <vector>

namespace linea {

class CAppHost;

inline constexpr const char* kDrawUsage =
    "       linea-cli draw PROJECT.orw -o OUT.png|.tif|.bmp [--color RRGGBB] [--width N] [--new-layer]\n"
    "           --line X,Y X,Y ... [--line ...] [--describe OUT.txo]\n";

// Exit codes as RunCli's: 0, 1 a failure reported through the host, 2 a command
// line that cannot be understood.
int RunDraw(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* out, std::FILE* errors);

}  // namespace linea

#pragma once
// linea-cli blocks: the blocks editor without a window. The operations run in the
// order given on the project's blocks (an empty blocks layer is made when the
// project has none) and the result is written as a raster.

#include <cstdio>
#include <string>
#include <vector>

namespace linea {

class CAppHost;

// The usage line of the command.
inline constexpr const char* kBlocksUsage =
    "       linea-cli blocks PROJECT.orw -o BLOCKS.bmp|.tif|.png|.raw [--border \"X1,Y1 X2,Y2 ...\"]...\n"
    "           [--find] [--check] [--merge X1 Y1 X2 Y2] [--exclude X Y] [--undo] [--save-project]\n";

// `arguments` follow the word "blocks". 0 written; 1 a refusal or failure told
// through the host, nothing written; 2 a command line that cannot be understood
// (the problem and the usage printed to `errors`), nothing written.
int RunBlocks(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* errors);

}  // namespace linea

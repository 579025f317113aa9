#pragma once
// Numbers the connected regions of a grid of 16-bit cells in place. Regions are
// numbered 1, 2, 3 ... in the raster order of their first cells (row by row from
// the first row, each row from its first cell); background (0) stays 0.

#include <cstdint>

namespace linea {

// Provisional labels one call may hand out; the 63 998th fails the call.
inline constexpr int kMaxProvisionalLabels = 63997;

enum LabelResult : int {
  kLabelOk = 0,
  kLabelTooManyRegions = 2,  // the grid is left partly relabelled and must be discarded
  kLabelOutOfMemory = 3,     // the grid is unchanged
};

// `grid` holds width x height cells, row after row. Connectivity 4 means
// eight-connected regions; any other value four-connected ones (left, right, up,
// down). A provisional label is handed out at every foreground cell whose already
// visited neighbours (left and up; with eight-connectivity also up-left and
// up-right) are all background, so the label limit depends on the shapes only.
// On success `count` receives the number of regions.
int LabelRegions(int width, int height, int connectivity, std::uint16_t* grid, int& count);

}  // namespace linea

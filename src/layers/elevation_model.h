#pragma once
// Preparation of an elevation model: the grey image shown for its heights, the
// descent-direction grid (for every cell the neighbour into which the surface
// falls most steeply, flats drained towards their outlets) and the relief-
// highlighting layer that shades each cell by its descent direction.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace linea {

class CAppHost;
class CLayerStack;

// Descent codes, by the neighbour drained into (row 0 is the top row):
// 0 row above, 1 right, 2 row below, 3 left, 4 up-left, 5 up-right, 6 down-right,
// 7 down-left. This order is fixed for the search and for the highlighting.
inline constexpr std::uint8_t kDescentNone = 200;  // pit, unresolved flat or border cell
inline constexpr int kDescentCodes = 8;

// Iterations of the flat resolution before the user is first asked to go on, and
// how many more each Yes allows.
inline constexpr int kFlatIterationLimit = 300;
inline constexpr int kFlatIterationStep = 200;

// Progress positions run from 0 to this.
inline constexpr int kDescentProgressRange = 1000;

// Grey levels of 16-bit heights: step = (max - min) / 256 + 1, grey = (h - min) /
// step. Converts min(samples, gray) cells. 0, or 7 when there are fewer than two
// samples or all are equal (the caller then makes no image).
int HeightsToGray(std::span<const std::uint16_t> samples, std::span<std::uint8_t> gray);
// The same in slices of rows, telling `progress` the fraction done (0 to 1) between
// them, so that a window can repaint on large models; 11 when it answers false
// (the grey cells are then partly written).
int HeightsToGray(std::span<const std::uint16_t> samples, std::span<std::uint8_t> gray,
                  const std::function<bool(double)>& progress);

// The descent grid of a width x height model, row after row like the heights.
// Border cells are 200. Progress goes through the host ("Поиск склона", then
// "Поиск склона/Большие фрагменты" for the flats), and after 300 flat iterations
// (then every 200 more) the host is asked whether to go on; No leaves the cells not
// yet reached at 200 and still succeeds. 0 on success, 3 when memory runs out,
// 11 when the user cancels, 17 when the arrays hold fewer cells than the geometry.
int ComputeDescent16(CAppHost& host, int width, int height, std::span<const std::uint16_t> heights,
                     std::span<std::uint8_t> grid);
int ComputeDescent8(CAppHost& host, int width, int height, std::span<const std::uint8_t> heights,
                    std::span<std::uint8_t> grid);
// The 16-bit computation inside a progress window the caller has begun with range
// kDescentProgressRange and ends itself: positions run on from `startFraction` (the
// share of the caller's earlier stage) to the end. Same results and codes.
int ComputeDescent16Continuing(CAppHost& host, double startFraction, int width, int height,
                               std::span<const std::uint16_t> heights, std::span<std::uint8_t> grid);

// The two stages of the descent computation without host, limit or progress, for
// checking and measuring the flat resolution against the plain procedure:
// the steepest-descent pass alone, and flats resolved by rescanning every interior
// cell against a copy of the grid until an iteration changes nothing (quadratic on
// wide plateaus). Returns the number of iterations, the last one included.
void ComputeSteepestDescent16(int width, int height, const std::uint16_t* heights, std::uint8_t* grid);
int ResolveFlatsByRescan16(int width, int height, const std::uint16_t* heights, std::uint8_t* grid);

// The grey level given to each descent code by the highlighting: light from the
// upper right. Cells without a descent take kHighlightFlatGray.
inline constexpr std::uint8_t kHighlightGray[kDescentCodes] = {196, 196, 64, 64, 128, 255, 128, 0};
inline constexpr std::uint8_t kHighlightFlatGray = 128;

// Adds (or replaces) a deletable, visible 8-bit layer named `name` showing the
// descent grid of a width x height model through the highlighting table, described
// "Highlighted %dx%dx %s" with the file name of `sourcePath`. Cells beyond the grid
// count as without descent. 0, 2 when there is no descent grid, 3 when memory runs out.
int BuildHighlightLayer(CLayerStack& stack, const std::string& name, std::span<const std::uint8_t> descentGrid,
                        int width, int height, const std::string& sourcePath);

}  // namespace linea

#pragma once
// The measures of the window-rose grid: one number per rose (density, density of a
// direction, elongation, main direction, cross-likeness, local difference, rose
// edge, rose difference) and the axial vectors behind them. The grid is the roses
// of eight 16-bit direction counts around every eighth stripes-grid cell, row after
// row; a rose is addressed by the position of its first count (8 x (row x nx +
// column)). Everything here reads the grid and the context and nothing else.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace linea {

class CResults;

// Angles as the measures use them (so that directions compare exactly).
inline constexpr double kRosePi = 3.1415926;
inline constexpr double kRoseHalfPi = 1.5707963;
inline constexpr double kRoseQuarterPi = 0.78539815;      // the step of the doubled class angles
inline constexpr double kRoseThreeQuarterPi = 2.35619445;
inline constexpr double kRoseClassAngle = 0.392699075;    // 22.5 degrees, one direction class
inline constexpr double kRoseEdgeDivisor = 0.9677419354838709;  // 30/31
// Axial differences fade in between these elongations.
inline constexpr double kRoseRampLow = 0.08;
inline constexpr double kRoseRampHigh = 0.24;
inline constexpr double kRoseRampFactor = 6.25;           // 1 / (high - low)

// The fixed weights of the eight classes when the global rose does not normalise.
inline constexpr std::array<double, 8> kFixedDirectionWeights = {1.0, 1.0825, 1.288, 1.0825,
                                                                 1.0, 1.0825, 1.288, 1.0825};

// Which sampling radii the edge measures use: those that grow with the rose window
// (the maps) or the fixed 3 and 2 of the vector maps.
enum class RoseRadii { Field, Vector };

// The elongation E and axis theta (radians in [0, pi), counter-clockwise from +x) of
// a rose; E is -1 when the rose is too weak to have one.
struct AxialVector {
  double E = -1.0;
  double theta = 0.0;
};
// An edge strength v (-1: no value) and the orientation phi of the comparison.
struct EdgeValue {
  double v = -1.0;
  double phi = 0.0;
};

struct RoseMeasureContext {
  std::span<const std::uint16_t> counts;  // as held; roses beyond it are empty
  int nx = 0;
  int ny = 0;
  double pixelSpacing = 0.0;  // p: pixels between neighbouring roses
  int kind = 0;               // map kind code; the densities of one class are 1..8
  int rw = 0;                 // rose window
  bool local = false;         // local normalisation
  std::array<double, 8> w{};  // direction weights
  std::array<double, 8> c{};  // w_k cos((k - 1) pi/4), the doubled class angles
  std::array<double, 8> s{};  // w_k sin((k - 1) pi/4)
  double A = 0.0;             // area factor 40000 / (rw^2 pi)
  double mc = 0.0;            // smallest weighted count with a value (never below 0)
  int a = 3;                  // outer and inner sampling radii, in roses
  int b = 2;
  double divisor = kRoseEdgeDivisor;

  std::size_t RoseCount() const { return std::size_t(nx) * std::size_t(ny); }
};

// The weights of the eight classes. With global normalisation w_k = G / (8 g_k) over
// the global rose (1.0 where g_k is 0, all 1.0 when G is 0); otherwise the fixed
// weights for image types 1..3 and 1.0 for any other type, a neutral choice that
// lets every rose count.
std::array<double, 8> DirectionWeights(bool globalNormalisation, const std::array<std::int32_t, 8>& globalRose,
                                       std::uint8_t imageType);

// Map kind codes as the measures hold them: '1'..'8' become 1..8, others stay.
int RoseKindOfCode(int code);

// Fills the context from the results (window roses and global rose only when their
// flags are set) and the map settings. 0, or 12 when there is no rose grid: no
// window roses, an empty stripes grid, or a geometry whose rose spacing is below
// one pixel or whose grid is absurdly large.
int PrepareRoseMeasures(RoseMeasureContext& context, const CResults& results, int roseWindow, int kindCode,
                        bool localNormalisation, bool globalNormalisation, double minDensity, RoseRadii radii);

// The value of the context's kind at one rose, -1 for "no value". Below -1 only
// with negative weights (a corrupt global rose).
int MeasureRose(const RoseMeasureContext& context, std::size_t index);

// Sum of the weighted counts.
double WeightedCount(const RoseMeasureContext& context, std::size_t index);
// 1 + the class (0..7) of the largest weighted count, the lower class on a tie;
// -1 when the rose is too weak.
int MainDirection(const RoseMeasureContext& context, std::size_t index);

AxialVector RoseVector(const RoseMeasureContext& context, std::size_t index);
AxialVector AxialSum(AxialVector first, AxialVector second);
double AxialDifference(AxialVector first, AxialVector second);
EdgeValue EdgeStrength(const RoseMeasureContext& context, std::size_t index);
// The largest axial difference of four opposite pairs around the rose, or -1.
double RoseDifference(const RoseMeasureContext& context, std::size_t index);
// EdgeStrength kept only at a maximum across the edge, else no value.
EdgeValue SuppressedEdge(const RoseMeasureContext& context, std::size_t index);

// double -> int truncated toward zero, clamped to the int range; NaN gives 0.
int TruncToInt(double value);

}  // namespace linea

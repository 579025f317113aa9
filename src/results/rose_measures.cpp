#include "results/rose_measures.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "results/results.h"

namespace linea {
namespace {

constexpr std::uint16_t kEmptyRose[8] = {};
// Far beyond the 16.8 million roses of the largest image at rate 1.
constexpr std::uint64_t kMaxRoses = std::uint64_t(1) << 26;

// The counts of the rose at `index`; an empty rose where the array ends.
inline const std::uint16_t* CountsAt(const RoseMeasureContext& ctx, std::size_t index) {
  if (index > ctx.counts.size() || ctx.counts.size() - index < 8) return kEmptyRose;
  return ctx.counts.data() + index;
}

inline double Weighted(const RoseMeasureContext& ctx, const std::uint16_t* r) {
  double d = 0.0;
  for (int k = 0; k < 8; ++k) d += ctx.w[k] * r[k];
  return d;
}

inline bool TooWeak(const RoseMeasureContext& ctx, double d) { return !(d > ctx.mc); }

struct GridPlace {
  std::int64_t row, column;
};
inline GridPlace PlaceOf(const RoseMeasureContext& ctx, std::size_t index) {
  if (ctx.nx <= 0) return {-1, -1};
  const std::int64_t rose = std::int64_t(index / 8);
  return {rose / ctx.nx, rose % ctx.nx};
}

// The index of the rose dr rows and dc columns away, or -1 outside the grid.
inline std::int64_t Neighbour(const RoseMeasureContext& ctx, GridPlace at, std::int64_t dr, std::int64_t dc) {
  const std::int64_t row = at.row + dr, column = at.column + dc;
  if (row < 0 || row >= ctx.ny || column < 0 || column >= ctx.nx) return -1;
  return 8 * (row * ctx.nx + column);
}

// Elongation alone: what the elongation map needs, without the angle.
inline double Elongation(const RoseMeasureContext& ctx, const std::uint16_t* r, double d) {
  double c = 0.0, s = 0.0;
  for (int k = 0; k < 8; ++k) {
    c += ctx.c[k] * r[k];
    s += ctx.s[k] * r[k];
  }
  return std::sqrt(c * c + s * s) / d;
}

AxialVector VectorOf(const RoseMeasureContext& ctx, const std::uint16_t* r) {
  const double d = Weighted(ctx, r);
  if (TooWeak(ctx, d)) return {};
  double c = 0.0, s = 0.0;
  for (int k = 0; k < 8; ++k) {
    c += ctx.c[k] * r[k];
    s += ctx.s[k] * r[k];
  }
  AxialVector v;
  v.E = std::sqrt(c * c + s * s) / d;
  // With C = S = 0 the rose has no axis (E is 0); 0 stands in for it.
  v.theta = (c == 0.0 && s == 0.0) ? 0.0 : 0.5 * std::atan(s / c);
  if (c < 0.0) v.theta += kRoseHalfPi;
  if (v.theta < 0.0) v.theta += kRosePi;
  return v;
}

inline AxialVector VectorAt(const RoseMeasureContext& ctx, std::int64_t index) {
  if (index < 0) return {};
  return VectorOf(ctx, CountsAt(ctx, std::size_t(index)));
}

AxialVector Sum3(AxialVector p, AxialVector q, AxialVector r) { return AxialSum(AxialSum(p, q), r); }

int CrossLikeness(const RoseMeasureContext& ctx, const std::uint16_t* r) {
  const double d = Weighted(ctx, r);
  if (TooWeak(ctx, d)) return -1;
  double t = 0.0, c = 0.0, s = 0.0;
  for (int k = 0; k < 8; ++k) {
    t += std::fabs(8.0 * ctx.w[k] * r[k] - d);
    c += ctx.c[k] * r[k];
    s += ctx.s[k] * r[k];
  }
  const double rho = std::sqrt(c * c + s * s) / d;
  const double v = rho <= 0.2 ? 50.0 * (t / d - 8.0 * rho) : 50.0 * (t / d - rho * (8.0 + 10.0 * (rho - 0.2)));
  return std::max(0, TruncToInt(v));
}

std::int64_t TruncToInt64(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9.2e18) return std::numeric_limits<std::int64_t>::max();
  if (value <= -9.2e18) return std::numeric_limits<std::int64_t>::min();
  return std::int64_t(value);
}

int LocalDifference(const RoseMeasureContext& ctx, std::size_t index) {
  const GridPlace at = PlaceOf(ctx, index);
  if (at.row <= 0 || at.row >= ctx.ny - 1 || at.column <= 0 || at.column >= ctx.nx - 1) return -1;
  const std::uint16_t* r = CountsAt(ctx, index);
  const double d = Weighted(ctx, r);
  if (TooWeak(ctx, d)) return -1;
  // NW, N, NE, W, E, SW, S, SE and their weights; the weights add up to 28 but the
  // sum is divided by 12.
  static constexpr int kRows[8] = {-1, -1, -1, 0, 0, 1, 1, 1};
  static constexpr int kColumns[8] = {-1, 0, 1, -1, 1, -1, 0, 1};
  static constexpr int kWeights[8] = {3, 4, 3, 4, 4, 3, 4, 3};
  std::int64_t sum = 0;
  for (int n = 0; n < 8; ++n) {
    const std::int64_t neighbour = Neighbour(ctx, at, kRows[n], kColumns[n]);
    const std::uint16_t* u = CountsAt(ctx, std::size_t(neighbour));
    const double du = Weighted(ctx, u);
    if (TooWeak(ctx, du)) return -1;
    double difference = 0.0;
    if (ctx.local) {
      for (int k = 0; k < 8; ++k) {
        // The neighbour scaled to the centre's count, kept as a 16-bit count.
        const std::uint16_t q = std::uint16_t(std::uint64_t(TruncToInt64(u[k] * d / du)));
        difference += ctx.w[k] * std::fabs(double(r[k]) - double(q));
      }
      difference = 150.0 * difference / d;
    } else {
      for (int k = 0; k < 8; ++k) difference += ctx.w[k] * std::fabs(double(r[k]) - double(u[k]));
    }
    sum += std::int64_t(kWeights[n]) * TruncToInt64(difference);
  }
  return TruncToInt(double(sum / 12));
}

}  // namespace

int TruncToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int>::min();
  return int(value);
}

std::array<double, 8> DirectionWeights(bool globalNormalisation, const std::array<std::int32_t, 8>& globalRose,
                                       std::uint8_t imageType) {
  std::array<double, 8> w;
  if (globalNormalisation) {
    double total = 0.0;
    for (std::int32_t g : globalRose) total += double(g);
    for (int k = 0; k < 8; ++k)
      w[k] = (total == 0.0 || globalRose[k] == 0) ? 1.0 : total / (8.0 * double(globalRose[k]));
    return w;
  }
  if (imageType >= 1 && imageType <= 3) return kFixedDirectionWeights;
  w.fill(1.0);
  return w;
}

int RoseKindOfCode(int code) { return (code >= '1' && code <= '8') ? code - '0' : code; }

int PrepareRoseMeasures(RoseMeasureContext& ctx, const CResults& results, int roseWindow, int kindCode,
                        bool localNormalisation, bool globalNormalisation, double minDensity, RoseRadii radii) {
  ctx = RoseMeasureContext{};
  if (!results.hasWindowRoses || results.windowRoses.size() < 8) return 12;
  const std::uint64_t gridWidth = results.gridWidth, gridHeight = results.gridHeight;
  if (gridWidth == 0 || gridHeight == 0 || results.imageWidth == 0) return 12;
  const double spacing = std::trunc(8.0 * double(results.imageWidth) / double(gridWidth) + 0.5);
  if (!(spacing >= 1.0)) return 12;
  const std::uint64_t nx = (gridWidth + 7) / 8 + 1, ny = (gridHeight + 7) / 8 + 1;
  if (nx * ny > kMaxRoses) return 12;

  ctx.counts = results.windowRoses;
  ctx.nx = int(nx);
  ctx.ny = int(ny);
  ctx.pixelSpacing = spacing;
  ctx.kind = RoseKindOfCode(kindCode);
  ctx.rw = roseWindow;
  ctx.local = localNormalisation;
  const std::array<std::int32_t, 8> noRose{};
  ctx.w = DirectionWeights(globalNormalisation, results.hasGlobalRose ? results.globalRose : noRose,
                           results.imageType);
  for (int k = 0; k < 8; ++k) {
    ctx.c[k] = ctx.w[k] * std::cos(k * kRoseQuarterPi);
    ctx.s[k] = ctx.w[k] * std::sin(k * kRoseQuarterPi);
  }
  ctx.A = 40000.0 / (double(roseWindow) * double(roseWindow) * 3.1415926);
  // A negative minimum would let empty roses through and divide by their count.
  ctx.mc = std::max(0.0, minDensity / ctx.A);
  if (std::isnan(ctx.mc)) ctx.mc = 0.0;
  if (radii == RoseRadii::Field) {
    ctx.a = TruncToInt(double(roseWindow) / 16.0 + 0.5) - 1;
    ctx.b = std::max(1, TruncToInt(0.7092198581560284 * ctx.a + 0.5));
  } else {
    ctx.a = 3;
    ctx.b = 2;
  }
  return 0;
}

double WeightedCount(const RoseMeasureContext& ctx, std::size_t index) { return Weighted(ctx, CountsAt(ctx, index)); }

int MainDirection(const RoseMeasureContext& ctx, std::size_t index) {
  const std::uint16_t* r = CountsAt(ctx, index);
  if (TooWeak(ctx, Weighted(ctx, r))) return -1;
  int best = 0;
  double largest = ctx.w[0] * r[0];
  for (int k = 1; k < 8; ++k) {
    const double v = ctx.w[k] * r[k];
    if (v > largest) {
      largest = v;
      best = k;
    }
  }
  return best + 1;
}

int MeasureRose(const RoseMeasureContext& ctx, std::size_t index) {
  const int kind = ctx.kind;
  if (kind >= 1 && kind <= 8) {
    const std::uint16_t* r = CountsAt(ctx, index);
    const double d = Weighted(ctx, r);
    if (!(d > 0.0)) return -1;
    const int k = kind - 1;
    return ctx.local ? TruncToInt(8.0 * r[k] * 150.0 / d) : TruncToInt(r[k] * ctx.w[k] * ctx.A);
  }
  switch (kind) {
    case 'a': {
      if (ctx.local) return 200;
      const double d = Weighted(ctx, CountsAt(ctx, index));
      if (!(d > 0.0)) return -1;
      return TruncToInt(ctx.A * d);
    }
    case 'r': {
      const std::uint16_t* r = CountsAt(ctx, index);
      const double d = Weighted(ctx, r);
      if (TooWeak(ctx, d)) return -1;
      return TruncToInt(200.0 * Elongation(ctx, r, d));
    }
    case 'w':
    case 'u':
      return MainDirection(ctx, index);
    case 'd':
      return CrossLikeness(ctx, CountsAt(ctx, index));
    case 'b':
      return LocalDifference(ctx, index);
    case 'p': {
      if (TooWeak(ctx, WeightedCount(ctx, index))) return -1;
      const EdgeValue e = EdgeStrength(ctx, index);
      if (e.v < 0.0) return -1;
      return TruncToInt(ctx.rw * e.v * 1.5);
    }
    case '{': {
      if (TooWeak(ctx, WeightedCount(ctx, index))) return -1;
      const double v = RoseDifference(ctx, index);
      if (v < 0.0) return -1;
      return TruncToInt(ctx.rw * v * 1.5);
    }
    default:
      return 0;
  }
}

AxialVector RoseVector(const RoseMeasureContext& ctx, std::size_t index) {
  return VectorOf(ctx, CountsAt(ctx, index));
}

AxialVector AxialSum(AxialVector first, AxialVector second) {
  double theta2 = second.theta;
  const double delta = theta2 - first.theta;
  if (delta >= kRoseHalfPi || delta <= -kRoseHalfPi) theta2 -= kRosePi;
  const double x = first.E * std::cos(first.theta) + second.E * std::cos(theta2);
  const double y = first.E * std::sin(first.theta) + second.E * std::sin(theta2);
  AxialVector sum;
  sum.E = std::sqrt(x * x + y * y);
  sum.theta = (x == 0.0 && y == 0.0) ? 0.0 : std::atan(y / x);
  if (sum.theta < 0.0) sum.theta += kRosePi;
  return sum;
}

double AxialDifference(AxialVector first, AxialVector second) {
  if (first.E < 0.0 || second.E < 0.0) return 0.0;
  const double m = std::max(first.E, second.E);
  if (m < kRoseRampLow) return 0.0;
  double delta = std::fabs(second.theta - first.theta);
  if (delta > kRoseHalfPi) delta = kRosePi - delta;
  const double square =
      first.E * first.E + second.E * second.E - 2.0 * first.E * second.E * std::cos(2.0 * delta);
  double d = std::sqrt(std::max(0.0, square));
  if (m < kRoseRampHigh) d *= (m - kRoseRampLow) * kRoseRampFactor;
  return d;
}

EdgeValue EdgeStrength(const RoseMeasureContext& ctx, std::size_t index) {
  const GridPlace at = PlaceOf(ctx, index);
  const std::int64_t a = ctx.a, b = ctx.b, b2 = 2 * std::int64_t(ctx.b);
  if (at.row < b2 || at.row > ctx.ny - b2 - 1 || at.column < b2 || at.column > ctx.nx - b2 - 1) return {};
  struct Offset {
    std::int64_t dr, dc;
  };
  // The sixteen roses of the comparisons, named by their offsets.
  enum { N2B, NWb, NEb, NWa, Na, NEa, W2B, Wa, Ea, E2B, SWa, Sa, SEa, SWb, SEb, S2B, kCount };
  const Offset offsets[kCount] = {{-b2, 0}, {-b, -b}, {-b, b}, {-a, -a}, {-a, 0}, {-a, a}, {0, -b2}, {0, -a},
                                  {0, a},   {0, b2},  {a, -a}, {a, 0},   {a, a},   {b, -b}, {b, b},   {b2, 0}};
  AxialVector p[kCount];
  for (int i = 0; i < kCount; ++i) {
    p[i] = VectorAt(ctx, Neighbour(ctx, at, offsets[i].dr, offsets[i].dc));
    if (p[i].E < 0.0) return {};
  }
  double best = 0.0, orientation = 0.0;
  const double above = AxialDifference(Sum3(p[Na], p[NEa], p[NWa]), Sum3(p[Sa], p[SEa], p[SWa]));
  if (above > 0.0) best = above;
  const double left = AxialDifference(Sum3(p[Wa], p[SWa], p[NWa]), Sum3(p[Ea], p[SEa], p[NEa]));
  if (left > best) {
    best = left;
    orientation = kRoseHalfPi;
  }
  best /= ctx.divisor;
  const double diagonal = AxialDifference(Sum3(p[NWb], p[N2B], p[W2B]), Sum3(p[SEb], p[E2B], p[S2B]));
  if (diagonal > best) {
    best = diagonal;
    orientation = kRoseQuarterPi;
  }
  const double antiDiagonal = AxialDifference(Sum3(p[SWb], p[S2B], p[W2B]), Sum3(p[NEb], p[E2B], p[N2B]));
  if (antiDiagonal > best) {
    best = antiDiagonal;
    orientation = kRoseThreeQuarterPi;
  }
  if (!(best > 0.0)) return {};
  return {best, orientation};
}

double RoseDifference(const RoseMeasureContext& ctx, std::size_t index) {
  const GridPlace at = PlaceOf(ctx, index);
  const std::int64_t a = ctx.a, b = ctx.b;
  if (at.row < a || at.row > ctx.ny - a - 1 || at.column < a || at.column > ctx.nx - a - 1) return -1.0;
  const std::int64_t pairs[4][4] = {{-b, -b, b, b}, {-a, 0, a, 0}, {-b, b, b, -b}, {0, -a, 0, a}};
  double largest = 0.0;
  for (const auto& pair : pairs) {
    const AxialVector first = VectorAt(ctx, Neighbour(ctx, at, pair[0], pair[1]));
    const AxialVector second = VectorAt(ctx, Neighbour(ctx, at, pair[2], pair[3]));
    if (first.E < 0.0 || second.E < 0.0) return -1.0;
    largest = std::max(largest, AxialDifference(first, second));
  }
  return largest;
}

EdgeValue SuppressedEdge(const RoseMeasureContext& ctx, std::size_t index) {
  const EdgeValue edge = EdgeStrength(ctx, index);
  if (edge.v < 0.0) return {};
  const GridPlace at = PlaceOf(ctx, index);
  // Across the edge: rows for the comparisons of upper and lower halves (and the
  // first diagonal), columns for left and right (and the second diagonal).
  const bool byRow = edge.phi == 0.0 || edge.phi == kRoseQuarterPi;
  const std::int64_t dr = byRow ? 1 : 0, dc = byRow ? 0 : 1;
  auto strengthAt = [&](std::int64_t neighbour) {
    return neighbour < 0 ? -1.0 : EdgeStrength(ctx, std::size_t(neighbour)).v;
  };
  const double before = strengthAt(Neighbour(ctx, at, -dr, -dc));
  const double after = strengthAt(Neighbour(ctx, at, dr, dc));
  if (before > edge.v || !(after < edge.v)) return {};
  return edge;
}

}  // namespace linea

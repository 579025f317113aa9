#include "analysis/lineament_pieces.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <numeric>
#include <utility>

#include "base/messages.h"

namespace linea {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegreesPerRadian = 180.0 / kPi;

double AxisDistance(double a, double b) {
  double d = std::fabs(std::fmod(a - b, 180.0));
  return d > 90.0 ? 180.0 - d : d;
}

// Count, centroid and second moments about it of a set of cells.
struct Moments {
  double n = 0, mx = 0, my = 0, sxx = 0, syy = 0, sxy = 0;
};

Moments MomentsOf(const LineamentPiece& p) { return {p.cells, p.meanX, p.meanY, p.sxx, p.syy, p.sxy}; }

// Moments of the union; about the joint centroid, so no large sums lose digits.
Moments Combine(const Moments& a, const Moments& b) {
  Moments c;
  c.n = a.n + b.n;
  if (c.n <= 0) return c;
  c.mx = (a.n * a.mx + b.n * b.mx) / c.n;
  c.my = (a.n * a.my + b.n * b.my) / c.n;
  const double ax = a.mx - c.mx, ay = a.my - c.my, bx = b.mx - c.mx, by = b.my - c.my;
  c.sxx = a.sxx + b.sxx + a.n * ax * ax + b.n * bx * bx;
  c.syy = a.syy + b.syy + a.n * ay * ay + b.n * by * by;
  c.sxy = a.sxy + b.sxy + a.n * ax * ay + b.n * bx * by;
  return c;
}

// A point and a unit direction, grid cells, y down.
struct Axis {
  double px, py, dx, dy;
  double Along(double x, double y) const { return (x - px) * dx + (y - py) * dy; }
  double Across(double x, double y) const { return std::fabs((y - py) * dx - (x - px) * dy); }
};

Axis AxisOfPiece(const LineamentPiece& p) {
  const FoundLineament& f = p.line;
  const double lx = f.x1 - f.x0, ly = f.y1 - f.y0, l = std::hypot(lx, ly);
  if (l > 0) return {f.x0, f.y0, lx / l, ly / l};
  const double a = f.degrees / kDegreesPerRadian;
  return {f.x0, f.y0, std::cos(a), -std::sin(a)};
}

// The least-squares axis of the cells, or `fallback`'s direction when they are
// one point.
Axis AxisOfMoments(const Moments& m, const Axis& fallback) {
  if (m.sxx + m.syy <= 0) return {m.mx, m.my, fallback.dx, fallback.dy};
  const double angle = 0.5 * std::atan2(2 * m.sxy, m.sxx - m.syy);
  return {m.mx, m.my, std::cos(angle), std::sin(angle)};
}

std::size_t Root(std::vector<std::size_t>& parent, std::size_t i) {
  while (parent[i] != i) {
    parent[i] = parent[parent[i]];
    i = parent[i];
  }
  return i;
}

class CJoiner {
 public:
  CJoiner(const std::vector<LineamentPiece>& pieces, const LineamentSettings& settings)
      : pieces_(pieces),
        settings_(settings),
        // Pieces of one feature found in two tiles lie along the same axis to
        // within the band of stripes a feature leaves on both its flanks.
        reach_(2 * (settings.halfWidth + 0.5) + 2) {}

  // Two pieces are one lineament: similar directions, the shorter lying along
  // the longer, and no gap between them that a run would not bridge.
  bool Linked(const LineamentPiece& a, const LineamentPiece& b) const {
    if (AxisDistance(a.line.degrees, b.line.degrees) > settings_.toleranceDegrees) return false;
    const LineamentPiece& longer = a.line.length >= b.line.length ? a : b;
    const LineamentPiece& shorter = &longer == &a ? b : a;
    const Axis axis = AxisOfPiece(longer);
    const FoundLineament& s = shorter.line;
    if (axis.Across(s.x0, s.y0) > reach_ || axis.Across(s.x1, s.y1) > reach_) return false;
    const double from = std::min(axis.Along(s.x0, s.y0), axis.Along(s.x1, s.y1));
    const double to = std::max(axis.Along(s.x0, s.y0), axis.Along(s.x1, s.y1));
    const double gap = std::max(from - (longer.line.length - 1), -to);
    return gap <= settings_.largestGap + 1;
  }

  // Pieces `members` as one lineament: fitted over all their cells, reaching from
  // the first piece's end to the last one's.
  FoundLineament Measure(const std::vector<std::size_t>& members, const Moments& m) const {
    const Axis axis = AxisOfMoments(m, AxisOfPiece(pieces_[members.front()]));
    double lo = std::numeric_limits<double>::max(), hi = -lo;
    for (std::size_t k : members) {
      const FoundLineament& f = pieces_[k].line;
      for (double t : {axis.Along(f.x0, f.y0), axis.Along(f.x1, f.y1)}) {
        lo = std::min(lo, t);
        hi = std::max(hi, t);
      }
    }
    return SegmentAlong(axis.px, axis.py, axis.dx, axis.dy, lo, hi);
  }

  // Every end of every member lies near the joint axis: a straight lineament
  // rather than a bent chain.
  bool Straight(const std::vector<std::size_t>& members, const Moments& m) const {
    const Axis axis = AxisOfMoments(m, AxisOfPiece(pieces_[members.front()]));
    for (std::size_t k : members) {
      const FoundLineament& f = pieces_[k].line;
      if (axis.Across(f.x0, f.y0) > reach_ || axis.Across(f.x1, f.y1) > reach_) return false;
    }
    return true;
  }

  // A chain of pieces, straight or bent, as one lineament per straight stretch.
  void Emit(std::vector<std::size_t>& members, std::vector<FoundLineament>& lineaments) const {
    Moments all;
    for (std::size_t k : members) all = Combine(all, MomentsOf(pieces_[k]));
    if (Straight(members, all)) {
      lineaments.push_back(Measure(members, all));
      return;
    }
    // Bent: walk the pieces along the chain and cut where the next one would
    // leave the straight stretch so far.
    const Axis axis = AxisOfMoments(all, AxisOfPiece(pieces_[members.front()]));
    auto middle = [&](std::size_t k) {
      const FoundLineament& f = pieces_[k].line;
      return axis.Along(0.5 * (f.x0 + f.x1), 0.5 * (f.y0 + f.y1));
    };
    std::sort(members.begin(), members.end(), [&](std::size_t a, std::size_t b) {
      const double ma = middle(a), mb = middle(b);
      return ma != mb ? ma < mb : a < b;
    });
    std::vector<std::size_t> stretch;
    Moments sum;
    for (std::size_t k : members) {
      const Moments with = Combine(sum, MomentsOf(pieces_[k]));
      stretch.push_back(k);
      if (stretch.size() > 1 && !Straight(stretch, with)) {
        stretch.pop_back();
        lineaments.push_back(Measure(stretch, sum));
        stretch.assign(1, k);
        sum = MomentsOf(pieces_[k]);
        continue;
      }
      sum = with;
    }
    if (!stretch.empty()) lineaments.push_back(Measure(stretch, sum));
  }

 private:
  const std::vector<LineamentPiece>& pieces_;
  const LineamentSettings& settings_;
  double reach_;
};

// Drops from `lineaments` (longest first) each one whose middle lies beside a
// longer one of a similar direction, within three bands of it: a parallel copy
// that flank stripes gave in another tile. Buckets of the grid keep the look-up
// local.
void DropParallelCopies(std::vector<FoundLineament>& lineaments, const LineamentSettings& settings) {
  const double band = settings.halfWidth + 0.5;
  const double reach = 3 * band + 3;
  const double bucket = 4 * reach;
  double largestX = 0, largestY = 0;
  for (const FoundLineament& f : lineaments) {
    largestX = std::max({largestX, f.x0, f.x1});
    largestY = std::max({largestY, f.y0, f.y1});
  }
  const long columns = long(largestX / bucket) + 1, rows = long(largestY / bucket) + 1;
  std::vector<std::vector<std::uint32_t>> buckets(std::size_t(columns) * std::size_t(rows));
  auto bucketOf = [&](double x, double y, long& c, long& r) {
    c = std::clamp(long(std::floor(x / bucket)), 0L, columns - 1);
    r = std::clamp(long(std::floor(y / bucket)), 0L, rows - 1);
  };
  std::vector<FoundLineament> kept;
  for (const FoundLineament& f : lineaments) {
    const double mx = 0.5 * (f.x0 + f.x1), my = 0.5 * (f.y0 + f.y1);
    long c = 0, r = 0;
    bucketOf(mx, my, c, r);
    bool copy = false;
    for (std::uint32_t k : buckets[std::size_t(r) * std::size_t(columns) + std::size_t(c)]) {
      const FoundLineament& g = kept[k];
      if (AxisDistance(g.degrees, f.degrees) > settings.toleranceDegrees) continue;
      const double gx = g.x1 - g.x0, gy = g.y1 - g.y0, gl = std::hypot(gx, gy);
      if (gl <= 0) continue;
      const double ex = mx - g.x0, ey = my - g.y0;
      const double along = (ex * gx + ey * gy) / gl, across = std::fabs(ex * gy - ey * gx) / gl;
      if (along >= 0 && along <= gl && across <= reach) {
        copy = true;
        break;
      }
    }
    if (copy) continue;
    // Entered in the buckets around every half bucket of its length, so that a
    // middle within reach of it finds it in its own bucket.
    const std::uint32_t index = std::uint32_t(kept.size());
    kept.push_back(f);
    const double length = std::hypot(f.x1 - f.x0, f.y1 - f.y0);
    const int steps = int(std::ceil(length / (bucket / 2)));
    for (int s = 0; s <= steps; ++s) {
      const double t = steps == 0 ? 0.0 : double(s) / steps;
      bucketOf(f.x0 + t * (f.x1 - f.x0), f.y0 + t * (f.y1 - f.y0), c, r);
      for (long rr = std::max(0L, r - 1); rr <= std::min(rows - 1, r + 1); ++rr)
        for (long cc = std::max(0L, c - 1); cc <= std::min(columns - 1, c + 1); ++cc) {
          auto& list = buckets[std::size_t(rr) * std::size_t(columns) + std::size_t(cc)];
          if (list.empty() || list.back() != index) list.push_back(index);
        }
    }
  }
  lineaments.swap(kept);
}

}  // namespace

int JoinLineamentPieces(const std::vector<LineamentPiece>& pieces, const std::vector<std::size_t>& firstPieceOfTile,
                        std::uint32_t columns, std::uint32_t rows, const LineamentSettings& settings,
                        std::vector<FoundLineament>& lineaments, const AnalysisProgress& progress) {
  std::vector<FoundLineament> joined;
  try {
    const CJoiner joiner(pieces, settings);
    std::vector<std::size_t> parent(pieces.size());
    std::iota(parent.begin(), parent.end(), std::size_t(0));
    CProgressTicker ticker(progress, 2 * pieces.size());
    // A piece can only continue in its own tile or in one of the eight around it:
    // the tiles overlap by more than the largest gap.
    for (std::uint32_t r = 0; r < rows; ++r)
      for (std::uint32_t c = 0; c < columns; ++c) {
        const std::size_t tile = std::size_t(r) * columns + c;
        for (std::size_t p = firstPieceOfTile[tile]; p < firstPieceOfTile[tile + 1]; ++p) {
          if (!ticker.Report(p)) return kErrorStopped;
          for (int dr = 0; dr <= 1; ++dr)
            for (int dc = -1; dc <= 1; ++dc) {
              if (dr == 0 && dc < 0) continue;  // that pair was seen from the other side
              const std::int64_t rr = std::int64_t(r) + dr, cc = std::int64_t(c) + dc;
              if (rr >= rows || cc < 0 || cc >= columns) continue;
              const std::size_t other = std::size_t(rr) * columns + std::size_t(cc);
              const std::size_t from = other == tile ? p + 1 : firstPieceOfTile[other];
              for (std::size_t q = from; q < firstPieceOfTile[other + 1]; ++q)
                if (joiner.Linked(pieces[p], pieces[q])) {
                  const std::size_t a = Root(parent, p), b = Root(parent, q);
                  if (a != b) parent[std::max(a, b)] = std::min(a, b);
                }
            }
        }
      }
    // The chains, each a run of piece numbers with the same root.
    std::vector<std::pair<std::size_t, std::size_t>> byRoot(pieces.size());
    for (std::size_t p = 0; p < pieces.size(); ++p) byRoot[p] = {Root(parent, p), p};
    std::sort(byRoot.begin(), byRoot.end());
    std::vector<std::size_t> members;
    for (std::size_t k = 0; k < byRoot.size();) {
      if (!ticker.Report(pieces.size() + k)) return kErrorStopped;
      members.clear();
      std::size_t m = k;
      for (; m < byRoot.size() && byRoot[m].first == byRoot[k].first; ++m) members.push_back(byRoot[m].second);
      joiner.Emit(members, joined);
      k = m;
    }
  } catch (const std::bad_alloc&) {
    return kErrorOutOfMemory;
  }
  // Longest first, then by position, so the group numbers do not depend on the
  // order the tiles were searched in.
  try {
    std::sort(joined.begin(), joined.end(), [](const FoundLineament& a, const FoundLineament& b) {
      if (a.length != b.length) return a.length > b.length;
      if (a.y0 != b.y0) return a.y0 < b.y0;
      return a.x0 < b.x0;
    });
    DropParallelCopies(joined, settings);
  } catch (const std::bad_alloc&) {
    return kErrorOutOfMemory;
  }
  lineaments.swap(joined);
  return 0;
}

}  // namespace linea

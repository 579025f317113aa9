#include "analysis/lineament_tile_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <tuple>

#include "base/checked_alloc.h"
#include "base/messages.h"

namespace linea {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegreesPerRadian = 180.0 / kPi;
// Candidate lines tried in a row without a new piece before a tile is done.
constexpr int kLeastFruitlessPeaks = 64;

double AxisDistance(double a, double b) {
  double d = std::fabs(std::fmod(a - b, 180.0));
  return d > 90.0 ? 180.0 - d : d;
}

}  // namespace

// Count, centroid and second moments about it of the cells cells[from, to) whose
// place along the line lies in tFrom..tTo.
CLineamentTileSearch::Moments CLineamentTileSearch::MomentsOf(const std::vector<Support>& cells, std::size_t from,
                                                              std::size_t to, double tFrom, double tTo) {
  Moments m;
  for (std::size_t k = from; k < to; ++k)
    if (cells[k].t >= tFrom && cells[k].t <= tTo) {
      m.n += 1;
      m.mx += cells[k].x;
      m.my += cells[k].y;
    }
  if (m.n <= 0) return m;
  m.mx /= m.n;
  m.my /= m.n;
  for (std::size_t k = from; k < to; ++k)
    if (cells[k].t >= tFrom && cells[k].t <= tTo) {
      const double ex = cells[k].x - m.mx, ey = cells[k].y - m.my;
      m.sxx += ex * ex;
      m.syy += ey * ey;
      m.sxy += ex * ey;
    }
  return m;
}

// The least-squares axis of cells with these moments, along `guess` when they
// are one point.
CLineamentTileSearch::Line CLineamentTileSearch::AxisOf(const Moments& m, const Line& guess) {
  if (m.sxx + m.syy <= 0) return {m.mx, m.my, guess.dx, guess.dy};
  const double angle = 0.5 * std::atan2(2 * m.sxy, m.sxx - m.syy);
  return {m.mx, m.my, std::cos(angle), std::sin(angle)};
}

// Direction in degrees [0, 180), counter-clockwise from +x with y up.
double CLineamentTileSearch::AxisDegrees(const Line& line) { return DirectionDegrees(line.dx, line.dy); }

CLineamentTileSearch::CLineamentTileSearch(const StripeField& stripes, const LineamentSettings& settings,
                                           int largestWidth, int largestHeight)
    : stripes_(stripes),
      settings_(settings),
      largestWidth_(std::max(1, largestWidth)),
      largestHeight_(std::max(1, largestHeight)),
      fineDirections_(stripes.directions.size() >= std::size_t(stripes.gridWidth) * stripes.gridHeight) {}

int CLineamentTileSearch::Allocate() {
  thetas_ = int(std::ceil(180.0 / settings_.thetaStep));
  const double halfDiagonal = std::hypot(double(largestWidth_), double(largestHeight_)) / 2 + 1;
  rhos_ = int(std::ceil(2 * halfDiagonal / settings_.rhoStep)) + 1;
  const std::uint64_t area = std::uint64_t(largestWidth_) * std::uint64_t(largestHeight_);
  if (!TryResize(votes_, std::uint64_t(thetas_) * rhos_) || !TryResize(sines_, thetas_) ||
      !TryResize(cosines_, thetas_) || !TryResize(uses_, area) || !TryResize(stamp_, area))
    return kErrorOutOfMemory;
  for (int i = 0; i < thetas_; ++i) {
    sines_[i] = std::sin(i * settings_.thetaStep / kDegreesPerRadian);
    cosines_[i] = std::cos(i * settings_.thetaStep / kDegreesPerRadian);
  }
  return 0;
}

double CLineamentTileSearch::DirectionAt(int x, int y) const {
  const std::size_t cell = std::size_t(y0_ + std::uint32_t(y)) * stripes_.gridWidth + (x0_ + std::uint32_t(x));
  return fineDirections_ ? double(stripes_.directions[cell]) : (stripes_.codes[cell] - 0.5) * 11.25;
}

bool CLineamentTileSearch::HasStripe(int x, int y) const {
  return stripes_.codes[std::size_t(y0_ + std::uint32_t(y)) * stripes_.gridWidth + (x0_ + std::uint32_t(x))] != 0;
}

void CLineamentTileSearch::Vote(int x, int y, int sign) {
  const double direction = DirectionAt(x, y);
  const double thetaStep = settings_.thetaStep, tolerance = settings_.toleranceDegrees;
  // The bins within the tolerance, walked around the circle of directions. A
  // line of direction theta (y up) has the screen normal (sin, cos); rho is the
  // cell's distance along it from the tile centre, shifted to stay positive.
  const int first = int(std::ceil((direction - tolerance) / thetaStep - 1e-9));
  const int last = int(std::floor((direction + tolerance) / thetaStep + 1e-9));
  const double ex = x - centreX_, ey = y - centreY_;
  for (int n = first; n <= last && n < first + thetas_; ++n) {
    const int i = ((n % thetas_) + thetas_) % thetas_;
    if (AxisDistance(i * thetaStep, direction) > tolerance) continue;
    const int j = int((ex * sines_[i] + ey * cosines_[i] + halfDiagonal_) / settings_.rhoStep);
    if (j >= 0 && j < tileRhos_) votes_[std::size_t(i) * tileRhos_ + j] += sign;
  }
}

// The supporting cells of a line within the tile, ordered along it; only the
// stretch tFrom..tTo of the line (cells along it from its point).
void CLineamentTileSearch::Collect(const Line& line, double halfBand, double axis, std::vector<Support>& support,
                                   double tFrom, double tTo) {
  support.clear();
  if (++round_ == 0) {
    std::fill(stamp_.begin(), stamp_.end(), 0u);
    round_ = 1;
  }
  const double nx = -line.dy, ny = line.dx;
  const int reach = int(std::ceil(halfBand));
  for (double t = std::floor(tFrom); t <= tTo; t += 1.0) {
    const double cx = line.px + t * line.dx, cy = line.py + t * line.dy;
    for (int s = -reach; s <= reach; ++s) {
      const double fx = std::floor(cx + s * nx + 0.5), fy = std::floor(cy + s * ny + 0.5);
      if (fx < 0 || fy < 0 || fx >= width_ || fy >= height_) continue;
      const int x = int(fx), y = int(fy);
      const std::size_t local = std::size_t(y) * width_ + x;
      if (stamp_[local] == round_) continue;
      stamp_[local] = round_;
      if (!HasStripe(x, y) || uses_[local] >= settings_.usesPerCell) continue;
      const double ex = x - line.px, ey = y - line.py;
      if (std::fabs(ex * nx + ey * ny) > halfBand) continue;
      if (AxisDistance(DirectionAt(x, y), axis) > settings_.toleranceDegrees) continue;
      support.push_back({ex * line.dx + ey * line.dy, x, y});
    }
  }
  std::sort(support.begin(), support.end(), [](const Support& a, const Support& b) { return a.t < b.t; });
}

// The stretch tFrom..tTo of `line` that crosses the tile, widened by `margin`.
void CLineamentTileSearch::Crossing(const Line& line, double margin, double& tFrom, double& tTo) const {
  tFrom = -2 * halfDiagonal_;
  tTo = 2 * halfDiagonal_;
  for (const auto& [p, d, size] :
       {std::tuple{line.px, line.dx, double(width_)}, std::tuple{line.py, line.dy, double(height_)}}) {
    if (std::fabs(d) < 1e-12) continue;
    double t0 = (-margin - p) / d, t1 = (size + margin - p) / d;
    if (t0 > t1) std::swap(t0, t1);
    tFrom = std::max(tFrom, t0);
    tTo = std::min(tTo, t1);
  }
}

void CLineamentTileSearch::Extent(const std::vector<Support>& cells, const Line& axis, double& lo, double& hi) {
  lo = std::numeric_limits<double>::max();
  hi = -lo;
  for (const Support& c : cells) {
    const double t = (c.x - axis.px) * axis.dx + (c.y - axis.py) * axis.dy;
    lo = std::min(lo, t);
    hi = std::max(hi, t);
  }
}

// The run support_[start, k) of a candidate line made into a piece: the Hough
// line is only as exact as its bins, so over a tile it drifts off a feature.
// The axis is fitted over the whole feature (the stripes beside the run too: a
// dark line gives stripes on both of its flanks), and the run is taken again
// along that axis across the tile. Leaves the run in run_, the feature's
// moments in feature_ and its flanks in flank_; returns the axis and the run's
// extent along it.
CLineamentTileSearch::Line CLineamentTileSearch::Refine(const Line& candidate, std::size_t start, std::size_t k,
                                                        double& lo, double& hi) {
  const double band = settings_.halfWidth + 0.5, wide = 2 * band + 2;
  const double fill = 0.5 * (2 * settings_.halfWidth + 1);
  run_.assign(support_.begin() + std::ptrdiff_t(start), support_.begin() + std::ptrdiff_t(k));
  Moments run = MomentsOf(run_, 0, run_.size(), -1e300, 1e300);
  Line axis = AxisOf(run, candidate);
  Extent(run_, axis, lo, hi);
  for (int pass = 0; pass < 2; ++pass) {
    Collect(axis, wide, AxisDegrees(axis), flank_, lo - band - 1, hi + band + 1);
    const Moments feature = MomentsOf(flank_, 0, flank_.size(), lo - band, hi + band);
    if (feature.n < run.n) break;
    const Line next = AxisOf(feature, axis);
    double from = 0, to = 0;
    Crossing(next, band + 1, from, to);
    Collect(next, band + settings_.rhoStep / 2, AxisDegrees(next), refined_, from, to);
    double oldLo = 0, oldHi = 0;
    Extent(run_, next, oldLo, oldHi);
    // The run along the new axis that overlaps the old one most.
    std::size_t bestFrom = 0, bestTo = 0;
    double bestOverlap = 0;
    for (std::size_t b = 0, e = 1; e <= refined_.size(); ++e) {
      if (e < refined_.size() && refined_[e].t - refined_[e - 1].t <= settings_.largestGap + 1) continue;
      const double extent = refined_[e - 1].t - refined_[b].t + 1;
      const double overlap = std::min(oldHi, refined_[e - 1].t) - std::max(oldLo, refined_[b].t);
      if (overlap > bestOverlap && e - b >= 2 && extent >= settings_.leastLength &&
          double(e - b) >= fill * extent) {
        bestOverlap = overlap;
        bestFrom = b;
        bestTo = e;
      }
      b = e;
    }
    if (bestTo == 0) break;
    run_.assign(refined_.begin() + std::ptrdiff_t(bestFrom), refined_.begin() + std::ptrdiff_t(bestTo));
    run = MomentsOf(run_, 0, run_.size(), -1e300, 1e300);
    axis = next;
    Extent(run_, axis, lo, hi);
  }
  // The final fit over the feature along the run, whose flanks are then spent.
  Collect(axis, wide, AxisDegrees(axis), flank_, lo - band - 1, hi + band + 1);
  const Moments feature = MomentsOf(flank_, 0, flank_.size(), lo - band, hi + band);
  feature_ = feature.n >= run.n ? feature : run;
  const double flankFrom = lo - band, flankTo = hi + band;
  flank_.erase(std::remove_if(flank_.begin(), flank_.end(),
                              [&](const Support& c) { return c.t < flankFrom || c.t > flankTo; }),
               flank_.end());
  const Line fitted = AxisOf(feature_, axis);
  Extent(run_, fitted, lo, hi);
  return fitted;
}

int CLineamentTileSearch::Search(std::uint32_t x0, std::uint32_t y0, int width, int height,
                                 std::uint32_t tileColumn, std::uint32_t tileRow,
                                 std::vector<LineamentPiece>& pieces) {
  x0_ = x0;
  y0_ = y0;
  width_ = std::min(width, largestWidth_);
  height_ = std::min(height, largestHeight_);
  centreX_ = width_ / 2.0;
  centreY_ = height_ / 2.0;
  halfDiagonal_ = std::hypot(double(width_), double(height_)) / 2 + 1;
  tileRhos_ = std::min(rhos_, int(std::ceil(2 * halfDiagonal_ / settings_.rhoStep)) + 1);
  const double thetaStep = settings_.thetaStep, rhoStep = settings_.rhoStep;
  std::fill(votes_.begin(), votes_.begin() + std::ptrdiff_t(thetas_) * tileRhos_, 0);
  std::fill(uses_.begin(), uses_.begin() + std::ptrdiff_t(width_) * height_, std::uint8_t(0));
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      if (HasStripe(x, y)) Vote(x, y, 1);

  const double band = settings_.halfWidth + 0.5;
  // A peak below this cannot hold a lineament of the least length.
  const double leastVotes = std::max(2.0, settings_.leastLength / 2);
  int misses = 0;

  // The bins strongest first (the lower index on a tie). Votes only ever fall, so
  // an entry whose count is stale is pushed again with its present count and the
  // first entry that is current is the largest bin.
  heap_.clear();
  try {
    const std::int32_t bins = thetas_ * tileRhos_;
    for (std::int32_t k = 0; k < bins; ++k)
      if (votes_[std::size_t(k)] >= leastVotes) heap_.emplace_back(votes_[std::size_t(k)], -k);
    std::make_heap(heap_.begin(), heap_.end());
    for (;;) {
      std::int32_t best = -1;
      while (!heap_.empty()) {
        std::pop_heap(heap_.begin(), heap_.end());
        const auto top = heap_.back();
        heap_.pop_back();
        const std::int32_t k = -top.second;
        if (votes_[std::size_t(k)] == top.first) {
          best = k;
          break;
        }
        if (votes_[std::size_t(k)] >= leastVotes) {
          heap_.emplace_back(votes_[std::size_t(k)], top.second);
          std::push_heap(heap_.begin(), heap_.end());
        }
      }
      if (best < 0 || votes_[std::size_t(best)] < leastVotes) break;
      const int i = best / tileRhos_, j = best % tileRhos_;
      const double theta = i * thetaStep;
      const double rho = (j + 0.5) * rhoStep - halfDiagonal_;
      // Screen direction of the line and its foot point.
      const Line line{centreX_ + rho * sines_[i], centreY_ + rho * cosines_[i], cosines_[i], -sines_[i]};
      // Only the stretch of the line that crosses the tile (widened by the band).
      double tFrom = 0, tTo = 0;
      Crossing(line, band + rhoStep + 1, tFrom, tTo);
      Collect(line, band + rhoStep / 2, theta, support_, tFrom, tTo);
      bool accepted = false;
      std::size_t start = 0;
      for (std::size_t k = 1; k <= support_.size() && !support_.empty(); ++k) {
        if (k < support_.size() && support_[k].t - support_[k - 1].t <= settings_.largestGap + 1) continue;
        // One run of supporting cells: support_[start, k). It must be long
        // enough and fill at least half of a band of the lineament's width;
        // scattered stripes of noise fill far less.
        const double extent = support_[k - 1].t - support_[start].t + 1;
        const double count = double(k - start);
        if (k - start >= 2 && extent >= settings_.leastLength &&
            count >= 0.5 * (2 * settings_.halfWidth + 1) * extent) {
          double lo = 0, hi = 0;
          const Line axis = Refine(line, start, k, lo, hi);
          const Moments& chosen = feature_;
          FoundLineament f = SegmentAlong(axis.px, axis.py, axis.dx, axis.dy, lo, hi);
          if (f.length < settings_.leastLength) {
            start = k;
            continue;
          }
          // A parallel copy beside a piece found here is kept all the same: which
          // of two parallel features is the longer shows only when the pieces of
          // all tiles are joined, and the shorter is dropped then.
          accepted = true;
          {
            LineamentPiece piece;
            piece.line = f;
            piece.line.x0 += x0_;
            piece.line.x1 += x0_;
            piece.line.y0 += y0_;
            piece.line.y1 += y0_;
            piece.cells = chosen.n;
            piece.meanX = chosen.mx + x0_;
            piece.meanY = chosen.my + y0_;
            piece.sxx = chosen.sxx;
            piece.syy = chosen.syy;
            piece.sxy = chosen.sxy;
            piece.tileColumn = tileColumn;
            piece.tileRow = tileRow;
            pieces.push_back(piece);
          }
          for (const Support& c : run_) {
            const std::size_t local = std::size_t(c.y) * width_ + c.x;
            // A used stripe votes no more, so the same line is not found twice; it
            // may still support a crossing lineament while its uses last.
            if (uses_[local] < settings_.usesPerCell && uses_[local]++ == 0) Vote(c.x, c.y, -1);
          }
          // The flanks vote no more either, or they would give parallel copies.
          for (const Support& c : flank_) {
            const std::size_t local = std::size_t(c.y) * width_ + c.x;
            if (uses_[local] == 0) {
              uses_[local] = 1;
              Vote(c.x, c.y, -1);
            }
          }
        }
        start = k;
      }
      // The peak and its immediate neighbours are spent whether or not they held
      // a piece, so the search always moves on.
      const int spread = int(std::ceil(band / rhoStep));
      for (int di = -1; di <= 1; ++di) {
        const int ii = (i + di + thetas_) % thetas_;
        for (int dj = -spread; dj <= spread; ++dj)
          if (j + dj >= 0 && j + dj < tileRhos_) votes_[std::size_t(ii) * tileRhos_ + j + dj] = 0;
      }
      // Peaks are taken strongest first: once many in a row hold nothing new,
      // what is left is the background of scattered stripes and copies.
      misses = accepted ? 0 : misses + 1;
      if (misses >= kLeastFruitlessPeaks) break;
    }
  } catch (const std::bad_alloc&) {
    return kErrorOutOfMemory;
  }
  return 0;
}

}  // namespace linea

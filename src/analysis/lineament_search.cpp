#include "analysis/lineament_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <tuple>

#include "base/checked_alloc.h"
#include "base/messages.h"
#include "results/calc_parameters.h"

namespace linea {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegreesPerRadian = 180.0 / kPi;
// Candidate lines tried in a row without a lineament before the search ends.
constexpr int kLeastFruitlessPeaks = 64;

// Distance of two axes in degrees, 0..90.
double AxisDistance(double a, double b) {
  double d = std::fabs(std::fmod(a - b, 180.0));
  return d > 90.0 ? 180.0 - d : d;
}

struct Support {
  double t;
  std::uint32_t x, y;
};

// A straight line through a point with unit direction (dx, dy), screen axes.
struct Line {
  double px, py, dx, dy;
};

// Least-squares axis of the supporting cells.
Line FitLine(const std::vector<Support>& cells, std::size_t from, std::size_t to, const Line& guess) {
  double mx = 0, my = 0;
  const double n = double(to - from);
  for (std::size_t i = from; i < to; ++i) {
    mx += cells[i].x;
    my += cells[i].y;
  }
  mx /= n;
  my /= n;
  double sxx = 0, syy = 0, sxy = 0;
  for (std::size_t i = from; i < to; ++i) {
    const double ex = cells[i].x - mx, ey = cells[i].y - my;
    sxx += ex * ex;
    syy += ey * ey;
    sxy += ex * ey;
  }
  if (sxx + syy <= 0) return {mx, my, guess.dx, guess.dy};
  const double angle = 0.5 * std::atan2(2 * sxy, sxx - syy);
  return {mx, my, std::cos(angle), std::sin(angle)};
}

void AppendRecord(std::vector<LineamentRecord>& records, std::uint32_t x, std::uint32_t y, int degrees,
                  std::uint16_t value, std::int16_t group) {
  LineamentRecord r;
  r.bytes[0] = std::uint8_t(y & 0xFF);
  r.bytes[1] = std::uint8_t(y >> 8);
  r.bytes[2] = std::uint8_t(x & 0xFF);
  r.bytes[3] = std::uint8_t(x >> 8);
  r.bytes[4] = std::uint8_t(degrees);
  r.bytes[5] = 0;
  r.bytes[6] = std::uint8_t(value & 0xFF);
  r.bytes[7] = std::uint8_t(value >> 8);
  r.bytes[8] = std::uint8_t(std::uint16_t(group) & 0xFF);
  r.bytes[9] = std::uint8_t(std::uint16_t(group) >> 8);
  records.push_back(r);
}

}  // namespace

LineamentSettings LineamentSettingsOf(const CalcParameters& params, double windowCells) {
  LineamentSettings s;
  const int width = std::clamp(params.nb1, 1, 9) | 1;
  s.halfWidth = width / 2;
  s.leastLength = std::max(3.0, std::clamp(params.Part, 0.0, 2.0) * std::max(0.0, windowCells));
  s.toleranceDegrees = std::clamp(params.AngW, 1, 3) * 11.25 / 2.0;
  const double dnh = std::isfinite(params.dnh) ? params.dnh : 1.0;
  const double dfi = std::isfinite(params.dfi) ? params.dfi : 1.0;
  if (params.RelRez) {
    // Relative: the distance step in lineament widths, the direction step in the
    // angle at which a line of the least length drifts by one width.
    s.rhoStep = dnh * width / 2.0;
    s.thetaStep = dfi * std::atan2(double(width), s.leastLength) * kDegreesPerRadian;
  } else {
    s.rhoStep = dnh;
    s.thetaStep = dfi;
  }
  s.rhoStep = std::clamp(s.rhoStep, 0.5, 64.0);
  s.thetaStep = std::clamp(s.thetaStep, 0.25, 11.25);
  s.largestGap = params.LONG ? 2 * width + 1 : 1;
  s.usesPerCell = params.Calck == 0 ? 1 : (params.Calck == 1 ? 2 : 255);
  return s;
}

int FindLineaments(const StripeField& stripes, const LineamentSettings& settings,
                   std::vector<LineamentRecord>& records, std::vector<FoundLineament>* found,
                   const AnalysisProgress& progress) {
  const std::uint32_t W = stripes.gridWidth, H = stripes.gridHeight;
  const std::uint64_t cells = std::uint64_t(W) * H;
  if (W > 65535 || H > 65535 || stripes.codes.size() < cells) return kErrorNoData;
  const bool fineDirections = stripes.directions.size() >= cells;
  auto directionOf = [&](std::size_t cell) {
    return fineDirections ? double(stripes.directions[cell]) : (stripes.codes[cell] - 0.5) * 11.25;
  };

  const double thetaStep = settings.thetaStep, rhoStep = settings.rhoStep;
  const int thetas = int(std::ceil(180.0 / thetaStep));
  const double diagonal = std::hypot(double(W), double(H)) + 1;
  const int rhos = int(std::ceil(2 * diagonal / rhoStep)) + 1;
  std::vector<std::int32_t> votes;
  std::vector<double> sines, cosines;
  std::vector<std::uint8_t> uses;
  std::vector<std::uint32_t> stamp;
  if (!TryResize(votes, std::uint64_t(thetas) * rhos) || !TryResize(sines, thetas) || !TryResize(cosines, thetas) ||
      !TryResize(uses, cells) || !TryResize(stamp, cells))
    return kErrorOutOfMemory;
  for (int i = 0; i < thetas; ++i) {
    sines[i] = std::sin(i * thetaStep / kDegreesPerRadian);
    cosines[i] = std::cos(i * thetaStep / kDegreesPerRadian);
  }
  // A line of direction theta (y up) has the screen normal (sin, cos); rho is the
  // cell centre's distance along it, shifted by the diagonal to stay positive.
  auto rhoBin = [&](int i, double x, double y) {
    return int((x * sines[i] + y * cosines[i] + diagonal) / rhoStep);
  };
  const double tolerance = settings.toleranceDegrees;
  auto vote = [&](std::uint32_t x, std::uint32_t y, int sign) {
    const double direction = directionOf(std::size_t(y) * W + x);
    // The bins within the tolerance, walked around the circle of directions.
    const int first = int(std::ceil((direction - tolerance) / thetaStep - 1e-9));
    const int last = int(std::floor((direction + tolerance) / thetaStep + 1e-9));
    for (int n = first; n <= last && n < first + thetas; ++n) {
      const int i = ((n % thetas) + thetas) % thetas;
      if (AxisDistance(i * thetaStep, direction) > tolerance) continue;
      const int j = rhoBin(i, x, y);
      if (j >= 0 && j < rhos) votes[std::size_t(i) * rhos + j] += sign;
    }
  };
  for (std::uint32_t y = 0; y < H; ++y)
    for (std::uint32_t x = 0; x < W; ++x)
      if (stripes.codes[std::size_t(y) * W + x] != 0) vote(x, y, 1);

  std::vector<LineamentRecord> freshRecords;
  std::vector<FoundLineament> lineaments;
  std::vector<Support> support, flank;
  const double band = settings.halfWidth + 0.5;
  // A peak below this cannot hold a lineament of the least length.
  const double leastVotes = std::max(2.0, settings.leastLength / 2);
  std::int32_t firstPeak = -1;
  CProgressTicker ticker(progress, 1000);
  std::uint32_t round = 0;
  int misses = 0;

  // The supporting cells of a line, ordered along it.
  // Only the stretch tFrom..tTo of the line (cells along it from its point).
  auto collect = [&](const Line& line, double halfBand, double axis, std::vector<Support>& support,
                     double tFrom, double tTo) {
    support.clear();
    ++round;
    const double nx = -line.dy, ny = line.dx;
    const int reach = int(std::ceil(halfBand));
    for (double t = std::floor(tFrom); t <= tTo; t += 1.0) {
      const double cx = line.px + t * line.dx, cy = line.py + t * line.dy;
      for (int s = -reach; s <= reach; ++s) {
        const double fx = std::floor(cx + s * nx + 0.5), fy = std::floor(cy + s * ny + 0.5);
        if (fx < 0 || fy < 0 || fx >= W || fy >= H) continue;
        const std::uint32_t x = std::uint32_t(fx), y = std::uint32_t(fy);
        const std::size_t cell = std::size_t(y) * W + x;
        if (stamp[cell] == round) continue;
        stamp[cell] = round;
        if (stripes.codes[cell] == 0 || uses[cell] >= settings.usesPerCell) continue;
        const double ex = x - line.px, ey = y - line.py;
        if (std::fabs(ex * nx + ey * ny) > halfBand) continue;
        if (AxisDistance(directionOf(cell), axis) > tolerance) continue;
        support.push_back({ex * line.dx + ey * line.dy, x, y});
      }
    }
    std::sort(support.begin(), support.end(), [](const Support& a, const Support& b) { return a.t < b.t; });
  };

  // The bins strongest first (the lower index on a tie). Votes only ever fall, so
  // an entry whose count is stale is pushed again with its present count and the
  // first entry that is current is the largest bin.
  using Entry = std::pair<std::int32_t, std::int64_t>;  // votes, minus the bin index
  std::vector<Entry> heap;
  try {
    for (std::size_t k = 0; k < votes.size(); ++k)
      if (votes[k] >= leastVotes) heap.emplace_back(votes[k], -std::int64_t(k));
  } catch (const std::bad_alloc&) {
    return kErrorOutOfMemory;
  }
  std::make_heap(heap.begin(), heap.end());
  for (;;) {
    std::size_t best = 0;
    bool found = false;
    while (!heap.empty()) {
      std::pop_heap(heap.begin(), heap.end());
      const Entry top = heap.back();
      heap.pop_back();
      const std::size_t k = std::size_t(-top.second);
      if (votes[k] == top.first) {
        best = k;
        found = true;
        break;
      }
      if (votes[k] >= leastVotes) {
        heap.emplace_back(votes[k], top.second);
        std::push_heap(heap.begin(), heap.end());
      }
    }
    if (!found) break;
    const std::int32_t peak = votes[best];
    if (firstPeak < 0) firstPeak = std::max(1, peak);
    if (peak < leastVotes) break;
    if (!ticker.Report(std::uint64_t(1000.0 * (firstPeak - peak) / firstPeak))) return kErrorStopped;
    const int i = int(best / rhos), j = int(best % rhos);
    const double theta = i * thetaStep;
    const double rho = (j + 0.5) * rhoStep - diagonal;
    // Screen direction of the line and its foot point.
    Line line{rho * sines[i], rho * cosines[i], cosines[i] * 1.0, -sines[i]};
    // Only the stretch of the line that crosses the grid (widened by the band).
    double tFrom = -diagonal, tTo = diagonal;
    const double margin = band + rhoStep + 1;
    for (const auto& [p, d, size] : {std::tuple{line.px, line.dx, double(W)}, std::tuple{line.py, line.dy, double(H)}}) {
      if (std::fabs(d) < 1e-12) continue;
      double t0 = (-margin - p) / d, t1 = (size + margin - p) / d;
      if (t0 > t1) std::swap(t0, t1);
      tFrom = std::max(tFrom, t0);
      tTo = std::min(tTo, t1);
    }
    collect(line, band + rhoStep / 2, theta, support, tFrom, tTo);
    bool accepted = false;
    std::size_t start = 0;
    for (std::size_t k = 1; k <= support.size() && !support.empty(); ++k) {
      if (k < support.size() && support[k].t - support[k - 1].t <= settings.largestGap + 1) continue;
      // One run of supporting cells: support[start, k).
      // A run must be long enough and fill at least half of a band of the
      // lineament's width; scattered stripes of noise fill far less.
      const double extent = support[k - 1].t - support[start].t + 1;
      if (k - start >= 2 && extent >= settings.leastLength &&
          double(k - start) >= 0.5 * (2 * settings.halfWidth + 1) * extent) {
        Line fitted = FitLine(support, start, k, line);
        double lo = std::numeric_limits<double>::max(), hi = -lo;
        for (std::size_t m = start; m < k; ++m) {
          const double t = (support[m].x - fitted.px) * fitted.dx + (support[m].y - fitted.py) * fitted.dy;
          lo = std::min(lo, t);
          hi = std::max(hi, t);
        }
        FoundLineament f;
        f.x0 = fitted.px + lo * fitted.dx;
        f.y0 = fitted.py + lo * fitted.dy;
        f.x1 = fitted.px + hi * fitted.dx;
        f.y1 = fitted.py + hi * fitted.dy;
        f.length = hi - lo + 1;
        double degrees = std::atan2(-fitted.dy, fitted.dx) * kDegreesPerRadian;
        while (degrees < 0) degrees += 180.0;
        while (degrees >= 180.0) degrees -= 180.0;
        f.degrees = degrees;
        // A parallel copy beside a lineament already found is the same feature.
        bool copy = false;
        for (const FoundLineament& g : lineaments) {
          if (AxisDistance(g.degrees, f.degrees) > tolerance) continue;
          const double gx = g.x1 - g.x0, gy = g.y1 - g.y0, gl = std::hypot(gx, gy);
          if (gl <= 0) continue;
          const double mx = 0.5 * (f.x0 + f.x1) - g.x0, my = 0.5 * (f.y0 + f.y1) - g.y0;
          const double along = (mx * gx + my * gy) / gl, across = std::fabs(mx * gy - my * gx) / gl;
          if (along >= 0 && along <= gl && across <= 3 * band + 3) copy = true;
        }
        if (f.length >= settings.leastLength) {
          if (!copy) {
            accepted = true;
            lineaments.push_back(f);
          }
          for (std::size_t m = start; m < k; ++m) {
            const std::size_t cell = std::size_t(support[m].y) * W + support[m].x;
            // A used stripe votes no more, so the same line is not found twice; it
            // may still support a crossing lineament while its uses last.
            if (uses[cell]++ == 0) vote(support[m].x, support[m].y, -1);
          }
          // The stripes beside it belong to the same feature (a stripe window is
          // wider than a thin line): they vote no more either, or they would give
          // parallel copies of this lineament.
          collect(fitted, 2 * band + 2, degrees, flank, lo - band - 1, hi + band + 1);
          for (const Support& c : flank) {
            if (c.t < lo - band || c.t > hi + band) continue;
            const std::size_t cell = std::size_t(c.y) * W + c.x;
            if (uses[cell] == 0) {
              uses[cell] = 1;
              vote(c.x, c.y, -1);
            }
          }
        }
      }
      start = k;
    }
    // The peak and its immediate neighbours are spent whether or not they held a
    // lineament, so the search always moves on.
    const int spread = int(std::ceil(band / rhoStep));
    for (int di = -1; di <= 1; ++di) {
      const int ii = (i + di + thetas) % thetas;
      for (int dj = -spread; dj <= spread; ++dj)
        if (j + dj >= 0 && j + dj < rhos) votes[std::size_t(ii) * rhos + j + dj] = 0;
    }
    // Peaks are taken strongest first: once many in a row hold no new lineament,
    // what is left is the background of scattered stripes and copies.
    misses = accepted ? 0 : misses + 1;
    if (misses >= kLeastFruitlessPeaks) break;
  }

  try {
  for (std::size_t n = 0; n < lineaments.size(); ++n) {
    const FoundLineament& f = lineaments[n];
    const int degrees = int(f.degrees + 0.5) % 180;
    const std::uint16_t value = std::uint16_t(std::min(65535.0, std::floor(f.length + 0.5)));
    const std::int16_t group = std::int16_t(std::min<std::size_t>(n + 1, 32767));
    // The cells of the segment, one per step along its longer axis.
    const int x0 = int(std::lround(f.x0)), y0 = int(std::lround(f.y0));
    const int x1 = int(std::lround(f.x1)), y1 = int(std::lround(f.y1));
    const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (int s = 0; s <= steps; ++s) {
      const double t = steps == 0 ? 0.0 : double(s) / steps;
      const long x = std::lround(x0 + (x1 - x0) * t), y = std::lround(y0 + (y1 - y0) * t);
      if (x < 0 || y < 0 || x >= long(W) || y >= long(H)) continue;
      AppendRecord(freshRecords, std::uint32_t(x), std::uint32_t(y), degrees, value, group);
    }
  }
  } catch (const std::bad_alloc&) {
    return kErrorTableFull;
  }
  records.swap(freshRecords);
  if (found) found->swap(lineaments);
  return 0;
}

}  // namespace linea

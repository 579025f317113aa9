#include "analysis/lineament_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "analysis/lineament_pieces.h"
#include "analysis/lineament_tile_search.h"
#include "base/checked_alloc.h"
#include "base/messages.h"
#include "results/calc_parameters.h"

namespace linea {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegreesPerRadian = 180.0 / kPi;
// Titles of the steps of the search.
constexpr int kTitleSizes = 159;           // joining the pieces and measuring the lineaments
constexpr int kTitleTilesBeginning = 160;  // laying out the tiles
constexpr int kTitleTiles = 161;           // the search in the tiles

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

LineamentTiling LineamentTilingOf(const LineamentSettings& settings) {
  LineamentTiling t;
  // Every stretch of a lineament as long as the overlap lies whole in some tile,
  // with its band and a little room for the stripe windows around its ends.
  const double least = std::clamp(settings.leastLength, 1.0, 4096.0);
  t.overlap = int(std::ceil(least)) + 2 * std::max(0, settings.halfWidth) + 4;
  t.side = 4 * t.overlap;
  return t;
}

double DirectionDegrees(double dx, double dy) {
  double degrees = std::atan2(-dy, dx) * kDegreesPerRadian;
  while (degrees < 0) degrees += 180.0;
  while (degrees >= 180.0) degrees -= 180.0;
  return degrees;
}

FoundLineament SegmentAlong(double px, double py, double dx, double dy, double lo, double hi) {
  FoundLineament f;
  f.x0 = px + lo * dx;
  f.y0 = py + lo * dy;
  f.x1 = px + hi * dx;
  f.y1 = py + hi * dy;
  f.length = hi - lo + 1;
  f.degrees = DirectionDegrees(dx, dy);
  return f;
}

int FindLineaments(const StripeField& stripes, const LineamentSettings& settings,
                   std::vector<LineamentRecord>& records, std::vector<FoundLineament>* found,
                   const AnalysisProgress& progress, const std::function<void(int titleId)>& step) {
  const std::uint32_t W = stripes.gridWidth, H = stripes.gridHeight;
  const std::uint64_t cells = std::uint64_t(W) * H;
  if (W > 65535 || H > 65535 || stripes.codes.size() < cells) return kErrorNoData;
  auto title = [&](int id) {
    if (step) step(id);
  };

  // The tiles: side T, each starting 3/4 T after the one before, so that their
  // borders fall on a grid of blocks of the overlap. The last ones are cut at the
  // edge of the field.
  const LineamentTiling tiling = LineamentTilingOf(settings);
  const std::uint32_t overlap = std::uint32_t(tiling.overlap), side = std::uint32_t(tiling.side);
  const std::uint32_t stride = side - overlap;
  auto tilesAcross = [&](std::uint32_t extent) {
    return extent <= side ? 1u : 1u + (extent - side + stride - 1) / stride;
  };
  const std::uint32_t columns = tilesAcross(W), rows = tilesAcross(H);
  const std::uint32_t blockColumns = (W + overlap - 1) / overlap, blockRows = (H + overlap - 1) / overlap;
  const std::uint32_t blocksPerTile = side / overlap, blocksPerStride = stride / overlap;

  // Beginning the tiles: the stripes of each block, so that tiles too empty to
  // hold a lineament of the least length are passed over.
  title(kTitleTilesBeginning);
  std::vector<std::uint32_t> blockStripes;
  if (!TryResize(blockStripes, std::uint64_t(blockColumns) * blockRows)) return kErrorOutOfMemory;
  {
    CProgressTicker ticker(progress, H);
    for (std::uint32_t y = 0; y < H; ++y) {
      if (!ticker.Report(y)) return kErrorStopped;
      const std::uint8_t* row = stripes.codes.data() + std::size_t(y) * W;
      std::uint32_t* blocks = blockStripes.data() + std::size_t(y / overlap) * blockColumns;
      for (std::uint32_t x = 0; x < W; ++x)
        if (row[x] != 0) ++blocks[x / overlap];
    }
  }
  // A run of the least length fills half of its band.
  const double leastStripes = std::max(2.0, std::floor(0.5 * (2 * settings.halfWidth + 1) * settings.leastLength));

  // The tiles one by one.
  title(kTitleTiles);
  CLineamentTileSearch search(stripes, settings, int(std::min(side, W)), int(std::min(side, H)));
  if (search.Allocate()) return kErrorOutOfMemory;
  std::vector<LineamentPiece> pieces;
  std::vector<std::size_t> firstPieceOfTile;
  if (!TryResize(firstPieceOfTile, std::uint64_t(columns) * rows + 1)) return kErrorOutOfMemory;
  {
    CProgressTicker ticker(progress, std::uint64_t(columns) * rows);
    for (std::uint32_t r = 0; r < rows; ++r)
      for (std::uint32_t c = 0; c < columns; ++c) {
        const std::size_t tile = std::size_t(r) * columns + c;
        if (!ticker.Report(tile)) return kErrorStopped;
        firstPieceOfTile[tile] = pieces.size();
        std::uint64_t inTile = 0;
        for (std::uint32_t br = r * blocksPerStride; br < std::min(blockRows, r * blocksPerStride + blocksPerTile); ++br)
          for (std::uint32_t bc = c * blocksPerStride; bc < std::min(blockColumns, c * blocksPerStride + blocksPerTile);
               ++bc)
            inTile += blockStripes[std::size_t(br) * blockColumns + bc];
        if (double(inTile) < leastStripes) continue;
        const std::uint32_t x0 = c * stride, y0 = r * stride;
        if (int code = search.Search(x0, y0, int(std::min(side, W - x0)), int(std::min(side, H - y0)), c, r, pieces))
          return code;
      }
    firstPieceOfTile.back() = pieces.size();
  }

  // The size of each lineament: its pieces joined across the tiles.
  title(kTitleSizes);
  std::vector<FoundLineament> lineaments;
  if (int code = JoinLineamentPieces(pieces, firstPieceOfTile, columns, rows, settings, lineaments, progress))
    return code;

  std::vector<LineamentRecord> freshRecords;
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

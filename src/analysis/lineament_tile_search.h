#pragma once
// The lineament search inside one square tile of the stripe field: a Hough
// transform restricted to each stripe's own direction, each candidate line
// checked cell by cell across the tile only. Working in tiles of a few least
// lengths keeps the cost of a candidate bounded, so the whole search grows with
// the area; the pieces a long lineament leaves in neighbouring tiles are joined
// afterwards (lineament_pieces.h).

#include <cstdint>
#include <vector>

#include "analysis/lineament_search.h"
#include "analysis/stripe_search.h"

namespace linea {

// A straight run of stripes found in one tile, in the cells of the whole grid
// (x right, y down). The moments of its supporting cells let pieces be joined
// and fitted again without keeping the cells.
struct LineamentPiece {
  FoundLineament line;
  double cells = 0;                  // supporting cells
  double meanX = 0, meanY = 0;       // their centroid
  double sxx = 0, syy = 0, sxy = 0;  // their second moments about the centroid
  std::uint32_t tileColumn = 0, tileRow = 0;
};

class CLineamentTileSearch {
 public:
  // `stripes` and `settings` must outlive the search. Tiles are at most
  // `largestWidth` × `largestHeight` cells.
  CLineamentTileSearch(const StripeField& stripes, const LineamentSettings& settings, int largestWidth,
                       int largestHeight);

  // The working arrays; 0 or kErrorOutOfMemory.
  int Allocate();

  // Appends the pieces found in the tile [x0, x0 + width) × [y0, y0 + height).
  // The tile's stripes may support pieces here whatever other tiles used them
  // for: the overlap of tiles is what lets a long lineament continue.
  // 0 or kErrorOutOfMemory.
  int Search(std::uint32_t x0, std::uint32_t y0, int width, int height, std::uint32_t tileColumn,
             std::uint32_t tileRow, std::vector<LineamentPiece>& pieces);

 private:
  struct Support {
    double t;
    int x, y;  // in the tile
  };
  struct Line {
    double px, py, dx, dy;  // a point and a unit direction, tile cells, y down
  };

  struct Moments {
    double n = 0, mx = 0, my = 0, sxx = 0, syy = 0, sxy = 0;
  };
  static Moments MomentsOf(const std::vector<Support>& cells, std::size_t from, std::size_t to, double tFrom,
                           double tTo);
  static Line AxisOf(const Moments& m, const Line& guess);
  static double AxisDegrees(const Line& line);

  double DirectionAt(int x, int y) const;
  void Crossing(const Line& line, double margin, double& tFrom, double& tTo) const;
  static void Extent(const std::vector<Support>& cells, const Line& axis, double& lo, double& hi);
  Line Refine(const Line& candidate, std::size_t start, std::size_t k, double& lo, double& hi);
  bool HasStripe(int x, int y) const;
  void Vote(int x, int y, int sign);
  void Collect(const Line& line, double halfBand, double axis, std::vector<Support>& support, double tFrom,
               double tTo);

  const StripeField& stripes_;
  const LineamentSettings& settings_;
  int largestWidth_, largestHeight_;
  bool fineDirections_;
  int thetas_ = 0;
  int rhos_ = 0;  // for the largest tile
  std::vector<std::int32_t> votes_;
  std::vector<double> sines_, cosines_;
  std::vector<std::uint8_t> uses_;
  std::vector<std::uint32_t> stamp_;
  std::uint32_t round_ = 0;
  std::vector<Support> support_, flank_, refined_, run_;
  Moments feature_;
  std::vector<std::pair<std::int32_t, std::int32_t>> heap_;
  // The present tile.
  std::uint32_t x0_ = 0, y0_ = 0;
  int width_ = 0, height_ = 0;
  double centreX_ = 0, centreY_ = 0, halfDiagonal_ = 0;
  int tileRhos_ = 0;
};

}  // namespace linea

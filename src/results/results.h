#pragma once
// The results of one project — stripes, global rose, block roses, window roses
// and lineaments — with the image and grid geometry they are measured in.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace linea {

class CLayerStack;

// Three header values and eight sector counts, as the .br file holds them.
struct BlockRose {
  std::array<std::int32_t, 3> header{};
  std::array<std::int32_t, 8> sectors{};
  bool operator==(const BlockRose&) const = default;
};

// One 10-byte record of the lineaments file, kept as its bytes.
struct LineamentRecord {
  std::array<std::uint8_t, 10> bytes{};
  // Direction as an index 0..179 (degrees).
  std::uint8_t Direction() const { return bytes[4]; }
  // Length, a 16-bit unsigned value.
  std::uint16_t Length() const { return std::uint16_t(bytes[6] | (bytes[7] << 8)); }
  bool operator==(const LineamentRecord&) const = default;
};

// Class 0..8 of a stripe code: 0 stays 0, 1..15 become code / 2 + 1, 16 closes
// the circle as 1; codes above 16 are not produced and give 0.
constexpr std::uint8_t StripeClassOfCode(std::uint8_t code) {
  if (code == 0 || code > 16) return 0;
  if (code == 16) return 1;
  return std::uint8_t(code / 2 + 1);
}

class CResults {
 public:
  CResults();
  virtual ~CResults();

  std::string sourcePath;
  std::uint32_t pixelCount = 0;
  std::vector<std::uint8_t> stripeClasses;  // one byte per grid cell, 0..8
  std::vector<std::uint8_t> stripeCodes;    // one byte per grid cell, 0..16
  std::vector<std::uint8_t> descentGrid;    // elevation models only
  std::uint16_t bytesPerPixel = 0;
  std::array<std::int32_t, 8> globalRose{};
  std::vector<BlockRose> blockRoses;
  std::vector<std::uint16_t> windowRoses;   // 8 sector counts per window rose
  std::vector<LineamentRecord> lineaments;
  std::uint32_t imageWidth = 0;
  std::uint32_t imageHeight = 0;
  std::uint8_t imageType = 0;
  std::uint32_t gridWidth = 0;
  std::uint32_t gridHeight = 0;
  bool hasStripes = false;
  bool hasGlobalRose = false;
  bool hasWindowRoses = false;
  bool hasBlockRoses = false;
  bool hasLineaments = false;
  bool stripesReplaced = false;

  // Counts are the arrays' own sizes, so they can never claim more than is held.
  std::int32_t blockRoseCount() const { return std::int32_t(blockRoses.size()); }
  std::uint32_t windowRoseCount() const { return std::uint32_t(windowRoses.size()); }
  std::uint32_t lineamentCount() const { return std::uint32_t(lineaments.size()); }
  std::uint64_t GridCellCount() const { return std::uint64_t(gridWidth) * gridHeight; }

  // Everything freed, geometry counters zeroed. When stripes were present and a
  // stack is given, its layer "Штрихи" is removed.
  void ClearResults(CLayerStack* stack = nullptr);
  // As ClearResults, but the image geometry, the descent grid and the source stay.
  void ClearDerivedResults(CLayerStack* stack = nullptr);
  void ClearWindowRoses();

  // Counts the stripe classes of the grid into globalRose; 13 when there is none.
  int ComputeGlobalRose();
  // Fills stripeClasses from stripeCodes.
  void DeriveStripeClasses();
  // gridWidth/gridHeight = trunc(image size / rate); a rate below 1e-9 counts as 1.
  void SetGridFromRate(double rate);
  // Image geometry with a provisional grid equal to the image.
  void SetImageGeometry(std::uint32_t width, std::uint32_t height, std::uint16_t bytes, std::uint8_t type);

 private:
  void ClearArrays(CLayerStack* stack);
  // Working storage of the analysis search, which this program does not run.
  std::uint32_t searchCounters_[2] = {0, 0};
};

}  // namespace linea

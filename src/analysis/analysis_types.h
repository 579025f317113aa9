#pragma once
// Plain inputs shared by the stages of the search: an 8-bit raster seen through
// a pointer and a stride, and the progress callback that can stop the work.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace linea {

// 8-bit levels, row 0 at the top; `pixels` may be null for "no raster".
struct AnalysisRaster {
  const std::uint8_t* pixels = nullptr;
  std::size_t stride = 0;
  int width = 0;
  int height = 0;
  bool Present() const { return pixels != nullptr && width > 0 && height > 0; }
  std::uint8_t At(int x, int y) const { return pixels[std::size_t(y) * stride + std::size_t(x)]; }
};

// Called with 0..100 within the current stage; returning false stops the search
// (code 11). An empty function never stops.
using AnalysisProgress = std::function<bool(int percent)>;

// Reports progress at most every `step` calls, so the hot loops stay cheap.
class CProgressTicker {
 public:
  CProgressTicker(const AnalysisProgress& progress, std::uint64_t total)
      : progress_(progress), total_(total == 0 ? 1 : total) {}
  // False once the callback asked to stop.
  bool Report(std::uint64_t done) {
    if (!progress_) return true;
    const int percent = int(done * 100 / total_);
    if (percent == last_) return true;
    last_ = percent;
    return progress_(percent > 100 ? 100 : percent);
  }

 private:
  const AnalysisProgress& progress_;
  std::uint64_t total_;
  int last_ = -1;
};

// Centre pixel of a grid cell of `rate` pixels, inside a side of `side` pixels.
inline int GridCellCentre(std::uint32_t cell, double rate, int side) {
  const int c = int((cell + 0.5) * rate);
  return c < 0 ? 0 : (c >= side ? side - 1 : c);
}

// Stripe code 1..16 of a direction in degrees (counter-clockwise from +x, y up).
inline std::uint8_t StripeCodeOfDegrees(double degrees) {
  double d = degrees;
  while (d < 0) d += 180.0;
  while (d >= 180.0) d -= 180.0;
  int c = 1 + int(d / 11.25);
  return std::uint8_t(c > 16 ? 16 : c);
}

}  // namespace linea

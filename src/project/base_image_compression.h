#pragma once
// Reduced copies of the base raster: the base layer "Исходное" resampled by area
// averaging to (width / factor) x (height / factor) 8-bit pixels and saved. The
// project itself does not change.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace linea {

class CAppHost;
class CLayerStack;

// The factor as typed, to the nearest eighth: trunc(x * 8 + 0.5) * 0.125.
double RoundCompressionFactor(double typed);

// Area averaging of a width x height 8-bit source (rows `sourceStride` bytes apart)
// into newWidth x newHeight target pixels (rows `targetStride` bytes apart): each
// target pixel is the mean of the source area it covers, fractions of pixels
// included, truncated. The scales are width / newWidth across and height / newHeight
// down, so the target is always filled; sums are kept exactly, so a uniform source
// stays uniform. 0; 3 when memory runs out; 17 when the sizes do not fit (a target
// larger than the source, or spans shorter than the sizes say).
int ResampleArea(std::span<const std::uint8_t> source, std::size_t sourceStride, int width, int height,
                 std::span<std::uint8_t> target, std::size_t targetStride, int newWidth, int newHeight);
// The same over packed rows (stride = width), as the resampler was first written.
int ResampleArea(std::span<const std::uint8_t> source, int width, int height, std::span<std::uint8_t> target,
                 int newWidth, int newHeight);

// Writes the base layer reduced by `factor` to `path` in the format of save-filter
// entry `filterIndex`. 0 on success; 3 when there is no base layer with an image or
// memory runs out; 1 when the file could not be written, or when the factor is below
// 1 or leaves no pixel (message "Недопустимый коэффициент масштабирования.").
int CompressBaseImage(CAppHost& host, CLayerStack& stack, double factor, const std::string& path, int filterIndex);

// CompressBaseImage with every failure shown to the user: a refused factor by its
// own message (1), memory by 3, and a file that could not be written by 4 (it
// cannot be created) or 6 (not written completely). Returns 0 or the code.
int CompressBaseImageReported(CAppHost& host, CLayerStack& stack, double factor, const std::string& path,
                              int filterIndex);

}  // namespace linea

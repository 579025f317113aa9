#pragma once
// The square-brush rasterisers of line drawings. They write straight into a 24-bit
// pixel buffer: `bits` holds imageHeight rows of bytesPerLine bytes, row 0 at the
// top, and a pixel's blue, green and red bytes start at column x bytesPerPixel.
// Nothing outside the image is touched; a buffer whose geometry does not hold three
// bytes per pixel is left alone.
//
// A brush of width w covers the offsets -(w div 2) .. w - (w div 2) - 1 in both
// directions, so an even brush lies to the lower side of its centre; a width below
// 1 covers nothing.

#include <cstdint>

namespace linea {

// From (x0, y0) towards (x1, y1), the end point excluded (a dot or the next segment
// paints it). The major axis is stepped one pixel at a time from the first point;
// the minor coordinate is truncated from the slope.
void DrawSegment(int x0, int y0, int x1, int y1, std::uint8_t* bits, int bytesPerLine, int bytesPerPixel,
                 std::uint32_t color, int width, int imageWidth, int imageHeight);

// The brush centred on (x, y).
void DrawDot(int x, int y, std::uint8_t* bits, int bytesPerLine, int bytesPerPixel, std::uint32_t color,
             int width, int imageWidth, int imageHeight);

// The same two over the rows firstRow .. endRow - 1 of a picture of one byte per
// pixel: `bits` holds those rows only, bytesPerLine (at least imageWidth) apart.
// Every pixel of those rows that the 24-bit versions would paint is set to `value`,
// no other; the other rows are not touched.
void DrawSegmentBytes(int x0, int y0, int x1, int y1, std::uint8_t* bits, int bytesPerLine, std::uint8_t value,
                      int width, int imageWidth, int imageHeight, int firstRow, int endRow);
void DrawDotBytes(int x, int y, std::uint8_t* bits, int bytesPerLine, std::uint8_t value, int width,
                  int imageWidth, int imageHeight, int firstRow, int endRow);

}  // namespace linea

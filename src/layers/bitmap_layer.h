#pragma once
// A layer backed by one image: the base raster, imported rasters, and (through the
// subclasses) one-colour drawings, class maps and bands.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "imaging/image.h"
#include "layers/layer.h"

namespace linea {

// A lookup entry of a colour: red x 65536 + green x 256 + blue, so that its bytes in
// memory are blue, green, red, 0 - the byte order of a 24-bit pixel.
constexpr std::uint32_t LookupEntry(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return std::uint32_t(red) << 16 | std::uint32_t(green) << 8 | std::uint32_t(blue);
}
constexpr std::uint32_t LookupEntryOfColor(std::uint32_t color) {
  return LookupEntry(ColorRed(color), ColorGreen(color), ColorBlue(color));
}

class CBitmapLayer : public CLayer {
 public:
  CBitmapLayer(std::string_view name, bool deletable);

  int GetHeight() const override;
  int GetWidth() const override;
  // Loads any supported raster; an 8-bit one fills the colour lookup from its palette.
  bool Load(const std::string& path) override;
  // Every pixel whose colour is not the transparent colour is set, at the same place
  // in the paletted `target`, to the target palette's nearest colour.
  bool DrawOverImage(CImage& target, const LineWidthScaling& scaling) override;
  // Copies the image into the 24-bit `target` through the lookup (8 bits) or as it
  // is (24 bits), skipping transparent pixels when the transparency switch is on.
  bool DrawOnImageRows(CImage& target, int firstRow, int endRow) override;
  int GetKind() const override { return kLayerKindBitmap; }

  CImage& Image() { return image_; }
  const CImage& Image() const { return image_; }

  // 0x00BBGGRR; black by default.
  std::uint32_t GetTransparentColor() const { return transparentColor_; }
  void SetTransparentColor(std::uint32_t color) { transparentColor_ = color; }
  bool IsTransparent() const { return transparency_; }
  void SetTransparency(bool on) { transparency_ = on; }

  const std::array<std::uint32_t, 256>& Lookup() const { return lookup_; }

  // For each index below `count` (at most 256 and the length of every table): a
  // used entry takes the colour, an unused one the transparent colour, which also
  // turns the transparency switch on. Lookup and image palette change together.
  void SetPalette(std::span<const std::uint8_t> red, std::span<const std::uint8_t> green,
                  std::span<const std::uint8_t> blue, std::span<const std::uint8_t> used,
                  int count);
  // Makes the image (width x height at bitsPerPixel), sets the palette and copies
  // `height` rows of width x bytes-per-pixel bytes from `pixels` (rows back to back,
  // top row first). False, with the layer unchanged, when the image cannot be made
  // or `pixels` is too short.
  bool CreateFromPixels(int width, int height, int bitsPerPixel, std::span<const std::uint8_t> pixels,
                        std::span<const std::uint8_t> red, std::span<const std::uint8_t> green,
                        std::span<const std::uint8_t> blue, std::span<const std::uint8_t> used,
                        int count);
  // Entry i becomes grey level i wherever the entry is not the transparent colour.
  void SetGrayPalette();

 protected:
  // Clips the row range and width to both images; false when nothing is left.
  bool CommonRows(const CImage& target, int& firstRow, int& endRow, int& width) const;
  // True for each palette index whose lookup entry is the transparent colour.
  std::array<bool, 256> TransparentIndices() const;

  CImage image_;
  std::uint32_t transparentColor_ = 0;
  bool transparency_ = false;
  std::array<std::uint32_t, 256> lookup_{};
};

// The pixel loops of composition over whole images: `width` x `height` pixels of
// 8-bit `source` rows into 24-bit `target` rows, each with its own bytes per line.
// `skip` marks the palette indices that leave the target alone.
namespace compose {
void LookupImage(const std::uint8_t* source, std::size_t sourceStride, std::uint8_t* target,
                 std::size_t targetStride, int width, int height, const std::array<std::uint32_t, 256>& lookup);
void LookupImageSkipping(const std::uint8_t* source, std::size_t sourceStride, std::uint8_t* target,
                         std::size_t targetStride, int width, int height,
                         const std::array<std::uint32_t, 256>& lookup, const std::array<bool, 256>& skip);
// Each painted target byte becomes (lookup byte + target byte) / 2, truncated.
void BlendImageSkipping(const std::uint8_t* source, std::size_t sourceStride, std::uint8_t* target,
                        std::size_t targetStride, int width, int height,
                        const std::array<std::uint32_t, 256>& lookup, const std::array<bool, 256>& skip);
// 24-bit rows; with `skipTransparent`, pixels of `skipColor` (0x00BBGGRR) are left out.
void CopyImage24(const std::uint8_t* source, std::size_t sourceStride, std::uint8_t* target,
                 std::size_t targetStride, int width, int height, bool skipTransparent, std::uint32_t skipColor);
}  // namespace compose

}  // namespace linea

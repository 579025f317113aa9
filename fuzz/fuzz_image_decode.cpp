// Any bytes go to the image decoder. Besides the sanitizers' checks, a decoded
// image must be consistent, and a small one must survive every lossless writer
// and its reader unchanged.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "imaging/image.h"
#include "imaging/image_codecs.h"

namespace {

bool SameImage(const linea::CImage& a, const linea::CImage& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetBitsPerPixel() != b.GetBitsPerPixel())
    return false;
  const int rowBytes = a.GetWidth() * a.GetBytesPerPixel();
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int i = 0; i < rowBytes; ++i)
      if (a.Row(y)[i] != b.Row(y)[i]) return false;
  return a.GetBitsPerPixel() == 24 || a.Palette() == b.Palette();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  linea::CImage image;
  if (!linea::DecodeImage(std::span<const std::uint8_t>(data, size), image)) {
    if (!image.IsEmpty()) std::abort();  // a failed decode must leave the image alone
    return 0;
  }
  const int bits = image.GetBitsPerPixel();
  if ((bits != 8 && bits != 24) || image.GetWidth() < 1 || image.GetHeight() < 1 ||
      image.GetBytesPerLine() % 4 != 0 || image.GetBytesPerLine() < image.GetWidth() * (bits / 8))
    std::abort();
  // The last byte of the buffer must be addressable.
  volatile std::uint8_t last = image.Row(image.GetHeight() - 1)[image.GetBytesPerLine() - 1];
  (void)last;

  if (std::int64_t(image.GetWidth()) * image.GetHeight() > 64 * 64) return 0;
  for (int format : {linea::kImageFormatTiff, linea::kImageFormatBmp, linea::kImageFormatPcx, linea::kImageFormatTga,
                     linea::kImageFormatPng, linea::kImageFormatGif}) {
    if (format == linea::kImageFormatGif && bits != 8) continue;
    std::vector<std::uint8_t> bytes;
    if (!linea::FindCodecByFormat(format)->write(image, bytes)) std::abort();
    linea::CImage again;
    if (!linea::DecodeImage(bytes, again) || !SameImage(image, again)) std::abort();
  }
  return 0;
}

// TIFF through libtiff, entirely in memory. Reads the first image of a file:
// uncompressed, LZW, Deflate or PackBits; strips or tiles; palette (1..8 bits),
// greyscale minimum-is-black or minimum-is-white (1..8 bits) and 8-bit RGB with
// contiguous samples (extra samples such as alpha are dropped, which shows
// premultiplied colours as composed over black). Anything else is refused. Colour
// map entries keep their high byte, so a map written as value x 257 reads back exactly. Writes uncompressed 8-bit palette (greyscale when the palette is the
// grey ramp) or 24-bit RGB files.

#include <tiffio.h>

#include <algorithm>
#include <iterator>
#include <cstring>
#include <memory>
#include <new>

#include "base/checked_alloc.h"
#include "imaging/codec_support.h"

namespace linea {
namespace {

// Largest single allocation libtiff may make for one file.
constexpr tmsize_t kMaxLibtiffAllocation = tmsize_t(256) << 20;

// The file libtiff sees: the input bytes when reading, a sink when writing.
struct MemoryStream {
  ByteSpan input;
  CByteSink* output = nullptr;
  std::uint64_t position = 0;

  std::uint64_t Size() const { return output ? output->Size() : input.size(); }
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size) {
  auto* s = static_cast<MemoryStream*>(handle);
  if (s->output || size <= 0 || s->position >= s->input.size()) return 0;
  std::size_t count = std::min<std::uint64_t>(std::uint64_t(size), s->input.size() - s->position);
  std::memcpy(buffer, s->input.data() + s->position, count);
  s->position += count;
  return tmsize_t(count);
}

tmsize_t WriteProc(thandle_t handle, void* buffer, tmsize_t size) {
  auto* s = static_cast<MemoryStream*>(handle);
  if (!s->output || size < 0) return -1;
  // Sinks catch their own exceptions: none may cross libtiff's C frames.
  if (s->output->Position() != s->position && !s->output->Seek(s->position)) return -1;
  if (!s->output->Write(buffer, std::size_t(size))) return -1;
  s->position += std::uint64_t(size);
  return size;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  auto* s = static_cast<MemoryStream*>(handle);
  std::uint64_t base = whence == SEEK_CUR ? s->position : whence == SEEK_END ? s->Size() : 0;
  auto signedOffset = static_cast<std::int64_t>(offset);
  if (whence != SEEK_SET && signedOffset < 0 && std::uint64_t(-signedOffset) > base) return toff_t(-1);
  std::uint64_t target = whence == SEEK_SET ? std::uint64_t(offset) : base + std::uint64_t(signedOffset);
  if (target > kMaxBufferBytes) return toff_t(-1);
  s->position = target;
  return toff_t(target);
}

int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t handle) { return static_cast<MemoryStream*>(handle)->Size(); }
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

// Messages of libtiff are not the user's business: failures come back as results.
int SilentHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

TiffHandle OpenStream(MemoryStream& stream, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxLibtiffAllocation);
  TIFFOpenOptionsSetErrorHandlerExtR(options, SilentHandler, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, SilentHandler, nullptr);
  TIFF* tif = TIFFClientOpenExt("memory", mode, &stream, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                MapProc, UnmapProc, options);
  TIFFOpenOptionsFree(options);
  return TiffHandle(tif);
}

enum class Layout { Palette, Grey, GreyInverted, Rgb };

struct SampleFormat {
  Layout layout;
  int bitsPerSample;
  int samplesPerPixel;
};

// Turns `count` pixels of packed samples into image pixels (8-bit index or B, G, R).
void ConvertPixels(const SampleFormat& f, const std::uint8_t* src, std::uint8_t* dst, int count) {
  if (f.layout == Layout::Rgb) {
    for (int x = 0; x < count; ++x, src += f.samplesPerPixel, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
    return;
  }
  const int bits = f.bitsPerSample, maximum = (1 << bits) - 1;
  for (int x = 0; x < count; ++x) {
    const int bit = x * bits;
    int value = bits == 8 ? src[x] : (src[bit / 8] >> (8 - bits - bit % 8)) & maximum;
    if (f.layout != Layout::Palette) {
      value = (value * 255 + maximum / 2) / maximum;  // scale to 0..255
      // Minimum-is-white samples are stored as brightness, so index = grey level.
      if (f.layout == Layout::GreyInverted) value = 255 - value;
    }
    dst[x] = std::uint8_t(value);
  }
}

bool ReadFormat(TIFF* tif, SampleFormat& f) {
  std::uint16_t bits = 0, samples = 0, photometric = 0, planar = 0, compression = 0, sampleFormat = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) return false;
  switch (compression) {
    case COMPRESSION_NONE:
    case COMPRESSION_LZW:
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
    case COMPRESSION_PACKBITS:
      break;
    default:
      return false;
  }
  if (sampleFormat != SAMPLEFORMAT_UINT) return false;
  f.bitsPerSample = bits;
  f.samplesPerPixel = samples;
  switch (photometric) {
    case PHOTOMETRIC_PALETTE:
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE:
      f.layout = photometric == PHOTOMETRIC_PALETTE   ? Layout::Palette
                 : photometric == PHOTOMETRIC_MINISBLACK ? Layout::Grey
                                                         : Layout::GreyInverted;
      return samples == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8);
    case PHOTOMETRIC_RGB:
      f.layout = Layout::Rgb;
      return bits == 8 && samples >= 3 && samples <= 8 && planar == PLANARCONFIG_CONTIG;
    default:
      return false;
  }
}

bool ReadColormap(TIFF* tif, int bits, CImage& image) {
  std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue) return false;
  const int count = 1 << bits;
  // Some writers store 8-bit values in the 16-bit map; a map with no value above
  // 255 is taken as such.
  bool eightBit = true;
  for (int i = 0; i < count; ++i)
    if (red[i] > 255 || green[i] > 255 || blue[i] > 255) eightBit = false;
  const int shift = eightBit ? 0 : 8;
  for (int i = 0; i < 256; ++i)
    image.SetColorForIndex(i, i < count ? MakeColor(std::uint8_t(red[i] >> shift), std::uint8_t(green[i] >> shift),
                                                    std::uint8_t(blue[i] >> shift))
                                        : 0);
  return true;
}

bool ReadStrips(TIFF* tif, const SampleFormat& f, CImage& image, std::uint64_t scratchLimit) {
  const int width = image.GetWidth(), height = image.GetHeight();
  std::uint32_t rowsPerStrip = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, std::uint32_t(height));
  const std::uint64_t scanline = std::uint64_t(TIFFScanlineSize64(tif));
  auto stripBytes = CheckedMultiply(scanline, rowsPerStrip);
  if (!scanline || !stripBytes || *stripBytes > scratchLimit) return false;
  const std::uint32_t strips = (std::uint32_t(height) + rowsPerStrip - 1) / rowsPerStrip;
  if (TIFFNumberOfStrips(tif) < strips) return false;
  ByteVector buffer;
  if (!TryResize(buffer, *stripBytes)) return false;
  for (std::uint32_t strip = 0; strip < strips; ++strip) {
    const std::uint32_t firstRow = strip * rowsPerStrip;
    const std::uint32_t rows = std::min(rowsPerStrip, std::uint32_t(height) - firstRow);
    const tmsize_t wanted = tmsize_t(scanline * rows);
    if (TIFFReadEncodedStrip(tif, strip, buffer.data(), wanted) != wanted) return false;
    for (std::uint32_t r = 0; r < rows; ++r)
      ConvertPixels(f, buffer.data() + r * scanline, image.Row(int(firstRow + r)), width);
  }
  return true;
}

bool ReadTiles(TIFF* tif, const SampleFormat& f, CImage& image, std::uint64_t scratchLimit) {
  const int width = image.GetWidth(), height = image.GetHeight(), outBytes = image.GetBytesPerPixel();
  std::uint32_t tileWidth = 0, tileHeight = 0;
  if (!TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth) || !TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight))
    return false;
  if (!tileWidth || !tileHeight) return false;
  const std::uint64_t tileBytes = std::uint64_t(TIFFTileSize64(tif));
  const std::uint64_t tileRowBytes = std::uint64_t(TIFFTileRowSize64(tif));
  if (!tileBytes || !tileRowBytes || tileBytes > scratchLimit) return false;
  if (CheckedMultiply(tileRowBytes, tileHeight).value_or(UINT64_MAX) > tileBytes) return false;
  ByteVector buffer;
  if (!TryResize(buffer, tileBytes)) return false;
  // 64-bit steps: a tile side may be far larger than the image.
  for (std::uint64_t top = 0; top < std::uint64_t(height); top += tileHeight) {
    for (std::uint64_t left = 0; left < std::uint64_t(width); left += tileWidth) {
      const ttile_t tile = TIFFComputeTile(tif, std::uint32_t(left), std::uint32_t(top), 0, 0);
      if (tile >= TIFFNumberOfTiles(tif)) return false;
      if (TIFFReadEncodedTile(tif, tile, buffer.data(), tmsize_t(tileBytes)) < 0) return false;
      const std::uint64_t rows = std::min<std::uint64_t>(tileHeight, std::uint64_t(height) - top);
      const std::uint64_t columns = std::min<std::uint64_t>(tileWidth, std::uint64_t(width) - left);
      for (std::uint64_t r = 0; r < rows; ++r)
        ConvertPixels(f, buffer.data() + r * tileRowBytes, image.Row(int(top + r)) + left * std::uint64_t(outBytes),
                      int(columns));
    }
  }
  return true;
}

std::uint64_t GetUnsigned(const std::uint8_t* p, int bytes, bool bigEndian) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= std::uint64_t(p[bigEndian ? bytes - 1 - i : i]) << (8 * i);
  return value;
}

// libtiff drops a tag whose values cannot be read and carries on with a default (a
// palette file whose colour map was cut off loads as greyscale), so a truncated
// file could pass for a different image. The first directory and every value it
// points to must lie inside the file.
bool FirstDirectoryFitsInFile(ByteSpan file) {
  const bool bigEndian = file[0] == 'M';
  const bool bigTiff = file[bigEndian ? 3 : 2] == 43;
  const int offsetBytes = bigTiff ? 8 : 4, entryBytes = bigTiff ? 20 : 12, countBytes = bigTiff ? 8 : 2;
  const std::size_t headerBytes = bigTiff ? 16 : 8;
  if (file.size() < headerBytes) return false;
  const std::uint64_t directory = GetUnsigned(&file[bigTiff ? 8 : 4], offsetBytes, bigEndian);
  if (directory > file.size() || file.size() - directory < std::uint64_t(countBytes)) return false;
  const std::uint64_t entries = GetUnsigned(&file[directory], countBytes, bigEndian);
  const std::uint64_t start = directory + std::uint64_t(countBytes);
  if (entries > (file.size() - start) / std::uint64_t(entryBytes)) return false;
  static constexpr int kTypeBytes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4, 0, 0, 8, 8, 8};
  for (std::uint64_t i = 0; i < entries; ++i) {
    const std::uint8_t* entry = &file[start + i * std::uint64_t(entryBytes)];
    const std::uint64_t type = GetUnsigned(entry + 2, 2, bigEndian);
    const std::uint64_t count = GetUnsigned(entry + 4, offsetBytes, bigEndian);
    if (type >= std::size(kTypeBytes) || !kTypeBytes[type]) continue;  // unknown types are skipped by libtiff too
    auto bytes = CheckedMultiply(count, std::uint64_t(kTypeBytes[type]));
    if (!bytes) return false;
    if (*bytes <= std::uint64_t(offsetBytes)) continue;  // stored in the entry itself
    const std::uint64_t where = GetUnsigned(entry + 4 + offsetBytes, offsetBytes, bigEndian);
    if (where > file.size() || *bytes > file.size() - where) return false;
  }
  return true;
}

}  // namespace

bool IdentifyTiff(ByteSpan head) {
  if (head.size() < 4) return false;
  const bool little = head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0;
  const bool big = head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43);
  return little || big;
}

bool ReadTiff(ByteSpan file, CImage& out) {
  if (!IdentifyTiff(file) || !FirstDirectoryFitsInFile(file)) return false;
  MemoryStream stream{file, nullptr, 0};
  TiffHandle tif = OpenStream(stream, "rm");
  if (!tif) return false;

  std::uint32_t width = 0, height = 0;
  if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height))
    return false;
  if (!IsValidImageSide(width) || !IsValidImageSide(height)) return false;
  SampleFormat format{};
  if (!ReadFormat(tif.get(), format)) return false;

  const int outBits = format.layout == Layout::Rgb ? 24 : 8;
  const std::uint64_t imageBytes = ImageBufferBytes(width, height, outBits);
  if (!DecodedSizeIsPlausible(file.size(), imageBytes)) return false;
  // A strip or tile never needs much more than the image itself (RGBA: 4/3 of it,
  // tiles: the padding of the last row and column of tiles).
  const std::uint64_t scratchLimit = std::max<std::uint64_t>(kFreeDecodeBytes, imageBytes * 4);

  CImage image;
  if (!image.Create(int(width), int(height), outBits)) return false;
  if (format.layout == Layout::Palette && !ReadColormap(tif.get(), format.bitsPerSample, image)) return false;
  const bool ok = TIFFIsTiled(tif.get()) ? ReadTiles(tif.get(), format, image, scratchLimit)
                                          : ReadStrips(tif.get(), format, image, scratchLimit);
  if (!ok) return false;
  out = std::move(image);
  return true;
}

bool StreamTiff(const CImage& image, CByteSink& sink) {
  const int bits = image.GetBitsPerPixel();
  if (image.IsEmpty() || (bits != 8 && bits != 24)) return false;
  const int width = image.GetWidth(), height = image.GetHeight();
  MemoryStream stream{{}, &sink, 0};
  // One strip of rows. Declared before the handle so that it outlives TIFFClose's final writes.
  ByteVector row;
  std::vector<std::uint16_t> map[3];
  {
    TiffHandle tif = OpenStream(stream, "w");
    if (!tif) return false;
    TIFF* t = tif.get();
    const bool grey = bits == 8 && HasGreyPalette(image);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, std::uint32_t(width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, std::uint32_t(height));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, bits == 8 ? 1 : 3);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                 bits == 24 ? PHOTOMETRIC_RGB : grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE);
    const std::uint32_t rowsPerStrip = std::max<std::uint32_t>(1, TIFFDefaultStripSize(t, 0));
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    const std::size_t rowBytes = std::size_t(width) * std::size_t(bits / 8);
    if (!TryResize(row, std::uint64_t(std::min(rowsPerStrip, std::uint32_t(height))) * rowBytes)) return false;
    if (bits == 8 && !grey) {
      for (int c = 0; c < 3; ++c) map[c].resize(256);
      for (int i = 0; i < 256; ++i) {
        std::uint32_t color = image.GetColorFromIndex(i);
        // 0..255 spread over 0..65535 so that value >> 8 gives the byte back.
        map[0][i] = std::uint16_t(ColorRed(color) * 257);
        map[1][i] = std::uint16_t(ColorGreen(color) * 257);
        map[2][i] = std::uint16_t(ColorBlue(color) * 257);
      }
      TIFFSetField(t, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data());
    }
    // Whole strips go to libtiff, each encoded once and written straight out.
    for (std::uint32_t strip = 0, y = 0; y < std::uint32_t(height); ++strip) {
      const std::uint32_t rows = std::min(rowsPerStrip, std::uint32_t(height) - y);
      for (std::uint32_t r = 0; r < rows; ++r, ++y) {
        const std::uint8_t* src = image.Row(int(y));
        std::uint8_t* dst = row.data() + std::size_t(r) * rowBytes;
        if (bits == 8) {
          std::memcpy(dst, src, rowBytes);
        } else {
          for (const std::uint8_t* end = src + rowBytes; src != end; src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
          }
        }
      }
      if (TIFFWriteEncodedStrip(t, strip, row.data(), tmsize_t(std::size_t(rows) * rowBytes)) < 0) return false;
    }
    if (!TIFFWriteDirectory(t)) return false;
  }
  return true;
}

bool WriteTiff(const CImage& image, ByteVector& out) {
  ByteVector bytes;
  CMemorySink sink(bytes);
  if (!StreamTiff(image, sink)) return false;
  out = std::move(bytes);
  return true;
}

}  // namespace linea

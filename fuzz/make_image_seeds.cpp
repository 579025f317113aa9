// Writes a starting corpus for fuzz_image_decode into the folder given: small
// images in every format the writers know, plus the variants only other programs
// write (RLE and low-depth bitmaps, RLE TARGA, compressed and tiled TIFF).
//   make_image_seeds <folder>

#include <tiffio.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/binary_io.h"
#include "imaging/image.h"
#include "imaging/image_codecs.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

bool WriteSeed(const std::string& folder, const std::string& name, const Bytes& bytes) {
  std::FILE* f = std::fopen((folder + "/" + name).c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

linea::CImage Pattern(int width, int height, int bits) {
  linea::CImage image;
  image.Create(width, height, bits);
  for (int i = 0; i < 256; ++i) image.SetColorForIndex(i, linea::MakeColor(std::uint8_t(i), std::uint8_t(i * 3), 40));
  for (int y = 0; y < height; ++y)
    for (int i = 0; i < width * (bits / 8); ++i) image.Row(y)[i] = std::uint8_t((i / 3) * 16 + y * 5 + (i % 3) * 80);
  return image;
}

Bytes Bmp(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression, int colors, const Bytes& pixels) {
  linea::ByteWriter w;
  const std::uint32_t offset = 14 + 40 + std::uint32_t(colors) * 4;
  w.U8('B'), w.U8('M'), w.U32(offset + std::uint32_t(pixels.size())), w.U32(0), w.U32(offset);
  w.U32(40), w.S32(width), w.S32(height), w.U16(1), w.U16(std::uint16_t(bits)), w.U32(compression);
  w.U32(std::uint32_t(pixels.size())), w.U32(0), w.U32(0), w.U32(std::uint32_t(colors)), w.U32(0);
  for (int i = 0; i < colors; ++i) w.U32(std::uint32_t(i) * 0x030201u);
  w.Bytes(pixels.data(), pixels.size());
  return w.Data();
}

Bytes Tga(int type, int width, int height, int bits, int descriptor, int mapLength, const Bytes& data) {
  linea::ByteWriter w;
  w.U8(0), w.U8(mapLength ? 1 : 0), w.U8(std::uint8_t(type)), w.U16(0), w.U16(std::uint16_t(mapLength));
  w.U8(mapLength ? 24 : 0), w.U16(0), w.U16(0), w.U16(std::uint16_t(width)), w.U16(std::uint16_t(height));
  w.U8(std::uint8_t(bits)), w.U8(std::uint8_t(descriptor));
  for (int i = 0; i < mapLength * 3; ++i) w.U8(std::uint8_t(i));
  w.Bytes(data.data(), data.size());
  return w.Data();
}

Bytes Tiff(const std::string& folder, std::uint16_t compression, std::uint16_t photometric, int samples, int bits,
           bool tiled) {
  const std::string path = folder + "/.seed.tif";
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (!tif) return {};
  const int width = 19, height = 18;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
  std::vector<std::uint16_t> map(3 << bits, 0x8000);
  if (photometric == PHOTOMETRIC_PALETTE)
    TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + (1 << bits), map.data() + (2 << bits));
  if (samples == 4) {
    std::uint16_t extra = EXTRASAMPLE_ASSOCALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (tiled) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
    Bytes tile(TIFFTileSize(tif));
    for (std::size_t i = 0; i < tile.size(); ++i) tile[i] = std::uint8_t(i * 7);
    for (int top = 0; top < height; top += 16)
      for (int left = 0; left < width; left += 16) TIFFWriteTile(tif, tile.data(), left, top, 0, 0);
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 5);
    Bytes row(TIFFScanlineSize(tif));
    for (int y = 0; y < height; ++y) {
      for (std::size_t i = 0; i < row.size(); ++i) row[i] = std::uint8_t(i * 3 + y);
      TIFFWriteScanline(tif, row.data(), y, 0);
    }
  }
  TIFFClose(tif);
  Bytes bytes;
  linea::ReadFileBytes(path, bytes, 1 << 20);
  std::remove(path.c_str());
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_image_seeds <folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  bool ok = true;
  for (const linea::ImageCodec& codec : linea::ImageCodecs()) {
    if (!codec.read) continue;
    for (int bits : {8, 24})
      for (auto [width, height] : {std::pair{3, 2}, std::pair{17, 5}}) {
        Bytes bytes;
        if (!codec.write(Pattern(width, height, bits), bytes)) return 1;
        ok &= WriteSeed(folder, "codec" + std::to_string(codec.formatCode) + "_" + std::to_string(bits) + "_" +
                                    std::to_string(width), bytes);
      }
  }
  ok &= WriteSeed(folder, "bmp_rle8", Bmp(4, 3, 8, 1, 256, {3, 5, 1, 6, 0, 0, 0, 3, 7, 8, 9, 0, 0, 0, 0, 2, 1, 0, 2, 4, 0, 1}));
  ok &= WriteSeed(folder, "bmp_rle4", Bmp(5, 2, 4, 2, 16, {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1}));
  ok &= WriteSeed(folder, "bmp_1bit", Bmp(10, -2, 1, 0, 2, {0x80, 0x40, 0, 0, 0xFF, 0xC0, 0, 0}));
  ok &= WriteSeed(folder, "bmp_4bit", Bmp(3, 2, 4, 0, 16, {0x12, 0x30, 0, 0, 0xAB, 0xC0, 0, 0}));
  ok &= WriteSeed(folder, "bmp_32bit", Bmp(2, 1, 32, 0, 0, {1, 2, 3, 255, 4, 5, 6, 0}));
  ok &= WriteSeed(folder, "tga_rle_mapped", Tga(9, 3, 2, 8, 0x20, 4, {0x82, 3, 0x02, 1, 2, 0}));
  ok &= WriteSeed(folder, "tga_rle_colour", Tga(10, 2, 2, 32, 0x08, 0, {0x81, 1, 2, 3, 4, 0x01, 5, 6, 7, 8, 9, 10, 11, 12}));
  ok &= WriteSeed(folder, "tga_rle_grey", Tga(11, 4, 2, 8, 0x30, 0, {0x84, 9, 0x02, 5, 6, 7}));
  ok &= WriteSeed(folder, "tga_16bit", Tga(2, 2, 1, 16, 0x00, 0, {0x00, 0x7C, 0xE0, 0x03}));
  const std::pair<const char*, Bytes> tiffs[] = {
      {"tiff_lzw_palette", Tiff(folder, COMPRESSION_LZW, PHOTOMETRIC_PALETTE, 1, 8, false)},
      {"tiff_deflate_tiles", Tiff(folder, COMPRESSION_ADOBE_DEFLATE, PHOTOMETRIC_RGB, 3, 8, true)},
      {"tiff_packbits_white", Tiff(folder, COMPRESSION_PACKBITS, PHOTOMETRIC_MINISWHITE, 1, 8, false)},
      {"tiff_rgba", Tiff(folder, COMPRESSION_NONE, PHOTOMETRIC_RGB, 4, 8, false)},
      {"tiff_4bit_palette", Tiff(folder, COMPRESSION_LZW, PHOTOMETRIC_PALETTE, 1, 4, true)},
      {"tiff_1bit_grey", Tiff(folder, COMPRESSION_NONE, PHOTOMETRIC_MINISBLACK, 1, 1, false)},
  };
  for (const auto& [name, bytes] : tiffs) ok &= !bytes.empty() && WriteSeed(folder, name, bytes);
  return ok ? 0 : 1;
}

// PNG through libpng. Palette files load as 8-bit images with their indices;
// greyscale files (any depth, alpha dropped) as 8-bit with the grey palette;
// colour files as 24-bit (16-bit samples are scaled down, alpha is dropped).
// Writes 8-bit images as palette files with all 256 entries, 24-bit as RGB.
//
// libpng reports errors by longjmp; as for JPEG, each setjmp sits in a function
// whose C++ objects all belong to its caller.

#include <png.h>

#include <cstring>

#include "base/checked_alloc.h"
#include "imaging/codec_support.h"

namespace linea {
namespace {

struct PngInput {
  ByteSpan data;
  std::size_t position = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* input = static_cast<PngInput*>(png_get_io_ptr(png));
  if (length > input->data.size() - input->position) png_error(png, "file truncated");
  std::memcpy(out, input->data.data() + input->position, length);
  input->position += length;
}

// Sinks catch their own exceptions: none may cross libpng's C frames.
void WriteToSink(png_structp png, png_bytep data, png_size_t length) {
  if (!static_cast<CByteSink*>(png_get_io_ptr(png))->Write(data, length)) png_error(png, "write failed");
}

void FlushSink(png_structp) {}

[[noreturn]] void ErrorHandler(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void WarningHandler(png_structp, png_const_charp) {}

bool Decode(png_structp png, png_infop info, std::uint64_t fileBytes, CImage& image, std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  png_set_chunk_malloc_max(png, png_alloc_size_t(8) << 20);
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, colorType = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colorType, nullptr, nullptr, nullptr);
  if (!IsValidImageSide(width) || !IsValidImageSide(height)) return false;
  const bool indexed = colorType == PNG_COLOR_TYPE_PALETTE;
  const bool grey = colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA;
  const int bits = indexed || grey ? 8 : 24;
  if (!DecodedSizeIsPlausible(fileBytes, ImageBufferBytes(width, height, bits))) return false;

  if (depth == 16) png_set_scale_16(png);
  if (depth < 8) {
    if (indexed)
      png_set_packing(png);
    else
      png_set_expand_gray_1_2_4_to_8(png);
  }
  if (colorType & PNG_COLOR_MASK_ALPHA) png_set_strip_alpha(png);
  if (!indexed && !grey) png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != std::size_t(width) * std::size_t(bits / 8)) return false;

  if (!image.Create(int(width), int(height), bits) || !TryResize(rows, height)) return false;
  if (indexed) {
    png_colorp palette = nullptr;
    int count = 0;
    if (!png_get_PLTE(png, info, &palette, &count) || !palette) return false;
    for (int i = 0; i < 256; ++i)
      image.SetColorForIndex(i, i < count ? MakeColor(palette[i].red, palette[i].green, palette[i].blue) : 0);
  }
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = image.Row(int(y));
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);  // a file cut before its end chunk is refused
  return true;
}

bool Encode(png_structp png, png_infop info, const CImage& image, CByteSink& sink) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, &sink, WriteToSink, FlushSink);
  // Saving a large picture is waited for: a fast zlib level, and colour rows
  // filtered against their left neighbour only instead of trying every filter,
  // cost a fraction of the defaults' time for files a few per cent larger.
  png_set_compression_level(png, 2);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, image.GetBitsPerPixel() == 8 ? PNG_FILTER_NONE : PNG_FILTER_SUB);
  const bool indexed = image.GetBitsPerPixel() == 8;
  png_set_IHDR(png, info, png_uint_32(image.GetWidth()), png_uint_32(image.GetHeight()), 8,
               indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (indexed) {
    png_color palette[256];
    for (int i = 0; i < 256; ++i) {
      std::uint32_t c = image.GetColorFromIndex(i);
      palette[i] = png_color{ColorRed(c), ColorGreen(c), ColorBlue(c)};
    }
    png_set_PLTE(png, info, palette, 256);
  }
  png_write_info(png, info);
  if (!indexed) png_set_bgr(png);
  for (int y = 0; y < image.GetHeight(); ++y) png_write_row(png, image.Row(y));
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool IdentifyPng(ByteSpan head) { return head.size() >= 8 && png_sig_cmp(head.data(), 0, 8) == 0; }

bool ReadPng(ByteSpan file, CImage& out) {
  if (!IdentifyPng(file)) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorHandler, WarningHandler);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  PngInput input{file, 0};
  png_set_read_fn(png, &input, ReadFromMemory);
  CImage image;
  std::vector<png_bytep> rows;
  bool ok = Decode(png, info, file.size(), image, rows);
  png_destroy_read_struct(&png, &info, nullptr);
  if (!ok) return false;
  out = std::move(image);
  return true;
}

bool StreamPng(const CImage& image, CByteSink& sink) {
  if (image.IsEmpty() || (image.GetBitsPerPixel() != 8 && image.GetBitsPerPixel() != 24)) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorHandler, WarningHandler);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  bool ok = Encode(png, info, image, sink);
  png_destroy_write_struct(&png, &info);
  return ok;
}

bool WritePng(const CImage& image, ByteVector& out) {
  ByteVector bytes;
  CMemorySink sink(bytes);
  if (!StreamPng(image, sink)) return false;
  out = std::move(bytes);
  return true;
}

}  // namespace linea

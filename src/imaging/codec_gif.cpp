// GIF through giflib. Reads the first image of a file onto its logical screen
// (the area the frame does not cover takes the background index), interlaced or
// not; indices are kept exactly and the palette is expanded to 256 entries. A
// file without any colour map gets the grey palette. Writes one 8-bit image with
// a 256-entry global map; a 24-bit image is quantized first.

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "base/checked_alloc.h"
#include "imaging/codec_support.h"

namespace linea {
namespace {

struct GifInput {
  ByteSpan data;
  std::size_t position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
  auto* input = static_cast<GifInput*>(gif->UserData);
  if (length <= 0) return 0;
  std::size_t count = std::min<std::size_t>(std::size_t(length), input->data.size() - input->position);
  std::memcpy(buffer, input->data.data() + input->position, count);
  input->position += count;
  return int(count);
}

int WriteToMemory(GifFileType* gif, const GifByteType* buffer, int length) {
  auto* output = static_cast<ByteVector*>(gif->UserData);
  if (length <= 0) return 0;
  try {  // no exception may cross giflib's C frames
    output->insert(output->end(), buffer, buffer + length);
  } catch (const std::exception&) {
    return 0;
  }
  return length;
}

struct DecoderCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

// Skips extensions up to the first image descriptor; false at the end of the file or on error.
bool FindFirstImage(GifFileType* gif) {
  while (true) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return false;
    if (type == IMAGE_DESC_RECORD_TYPE) return DGifGetImageDesc(gif) != GIF_ERROR;
    if (type != EXTENSION_RECORD_TYPE) return false;
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
    while (block)
      if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  }
}

}  // namespace

bool IdentifyGif(ByteSpan head) {
  return head.size() >= 6 && std::memcmp(head.data(), "GIF8", 4) == 0 && (head[4] == '7' || head[4] == '9') &&
         head[5] == 'a';
}

bool ReadGif(ByteSpan file, CImage& out) {
  if (!IdentifyGif(file)) return false;
  GifInput input{file, 0};
  int error = 0;
  std::unique_ptr<GifFileType, DecoderCloser> gif(DGifOpen(&input, ReadFromMemory, &error));
  if (!gif || !FindFirstImage(gif.get())) return false;

  const GifImageDesc& frame = gif->Image;
  if (frame.Left < 0 || frame.Top < 0 || frame.Width < 1 || frame.Height < 1) return false;
  const std::int64_t frameRight = std::int64_t(frame.Left) + frame.Width;
  const std::int64_t frameBottom = std::int64_t(frame.Top) + frame.Height;
  // The screen, grown to hold the frame when a writer declared it too small.
  const std::int64_t width = std::max<std::int64_t>(gif->SWidth, frameRight);
  const std::int64_t height = std::max<std::int64_t>(gif->SHeight, frameBottom);
  if (!IsValidImageSide(width) || !IsValidImageSide(height)) return false;
  if (!DecodedSizeIsPlausible(file.size(), ImageBufferBytes(width, height, 8))) return false;

  CImage image;
  std::vector<GifPixelType> line;
  if (!image.Create(int(width), int(height), 8) || !TryResize(line, std::uint64_t(frame.Width))) return false;
  const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
  if (map && map->Colors && map->ColorCount > 0) {
    for (int i = 0; i < 256; ++i) image.SetColorForIndex(i, 0);
    for (int i = 0; i < std::min(map->ColorCount, 256); ++i)
      image.SetColorForIndex(i, MakeColor(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue));
  }
  if (gif->SBackGroundColor > 0 && (width > frame.Width || height > frame.Height))
    for (int y = 0; y < int(height); ++y) std::memset(image.Row(y), gif->SBackGroundColor & 255, std::size_t(width));

  // Interlaced frames come in four passes: every 8th row from 0, every 8th from 4,
  // every 4th from 2, every 2nd from 1.
  static constexpr int kPassStart[4] = {0, 4, 2, 1}, kPassStep[4] = {8, 8, 4, 2};
  const int passes = frame.Interlace ? 4 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    const int start = frame.Interlace ? kPassStart[pass] : 0, step = frame.Interlace ? kPassStep[pass] : 1;
    for (int row = start; row < frame.Height; row += step) {
      if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) return false;
      std::memcpy(image.Row(frame.Top + row) + frame.Left, line.data(), std::size_t(frame.Width));
    }
  }
  out = std::move(image);
  return true;
}

bool WriteGif(const CImage& image, ByteVector& out) {
  if (image.IsEmpty() || (image.GetBitsPerPixel() != 8 && image.GetBitsPerPixel() != 24)) return false;
  CImage quantized;
  const CImage* source = &image;
  if (image.GetBitsPerPixel() == 24) {
    quantized = image;
    if (!quantized.Quantize(8)) return false;
    source = &quantized;
  }
  const int width = source->GetWidth(), height = source->GetHeight();
  ByteVector bytes;
  std::vector<GifPixelType> line;
  if (!TryResize(line, std::uint64_t(width))) return false;

  ColorMapObject* map = GifMakeMapObject(256, nullptr);
  if (!map) return false;
  for (int i = 0; i < 256; ++i) {
    std::uint32_t c = source->GetColorFromIndex(i);
    map->Colors[i] = GifColorType{ColorRed(c), ColorGreen(c), ColorBlue(c)};
  }
  int error = 0;
  GifFileType* gif = EGifOpen(&bytes, WriteToMemory, &error);
  bool ok = gif != nullptr;
  ok = ok && EGifPutScreenDesc(gif, width, height, 8, 0, map) != GIF_ERROR;
  ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) != GIF_ERROR;
  for (int y = 0; ok && y < height; ++y) {
    std::memcpy(line.data(), source->Row(y), std::size_t(width));
    ok = EGifPutLine(gif, line.data(), width) != GIF_ERROR;
  }
  if (gif && EGifCloseFile(gif, &error) == GIF_ERROR) ok = false;
  GifFreeMapObject(map);
  if (!ok) return false;
  out = std::move(bytes);
  return true;
}

}  // namespace linea

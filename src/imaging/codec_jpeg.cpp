// JPEG through libjpeg(-turbo). Greyscale files load as 8-bit images with the
// grey palette, colour files as 24-bit; CMYK files are refused. An 8-bit image
// is written as greyscale when its palette is the grey ramp, else as colour.
//
// libjpeg reports errors by longjmp. Each setjmp lives in a small function whose
// only locals are plain C values; every C++ object is owned by the caller, so the
// jump never skips a destructor.

#include <algorithm>
#include <climits>
#include <cstdio>  // jpeglib.h needs FILE
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "base/checked_alloc.h"
#include "imaging/codec_support.h"

namespace linea {
namespace {

constexpr int kQuality = 90;
// Progressive files with thousands of scans cost minutes for no picture; real ones have about ten.
constexpr int kMaxScans = 500;

struct JpegErrorManager {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings mean the decoder patched up damaged data (a truncated file decodes as
// grey at the bottom); such a file is refused rather than shown half made up.
// Stray bytes between markers and an unknown JFIF revision are harmless.
void EmitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;
  int code = cinfo->err->msg_code;
  if (code == JWRN_EXTRANEOUS_DATA || code == JWRN_JFIF_MAJOR) return;
  ErrorExit(cinfo);
}

void OutputMessage(j_common_ptr) {}

void LimitScans(j_common_ptr cinfo) {
  if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
    ErrorExit(cinfo);
}

void InstallErrorManager(JpegErrorManager& err) {
  jpeg_std_error(&err.manager);
  err.manager.error_exit = ErrorExit;
  err.manager.emit_message = EmitMessage;
  err.manager.output_message = OutputMessage;
}

// Reads the header and checks what the file declares; false on any error.
bool StartDecoding(ByteSpan file, jpeg_decompress_struct& cinfo, JpegErrorManager& err, jpeg_progress_mgr& progress) {
  if (setjmp(err.jump)) return false;
  jpeg_create_decompress(&cinfo);
  progress.progress_monitor = LimitScans;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
  if (!IsValidImageSide(cinfo.image_width) || !IsValidImageSide(cinfo.image_height)) return false;
  if (cinfo.num_components == 1) {
    cinfo.out_color_space = JCS_GRAYSCALE;
  } else if (cinfo.num_components == 3 && (cinfo.jpeg_color_space == JCS_YCbCr || cinfo.jpeg_color_space == JCS_RGB)) {
    cinfo.out_color_space = JCS_EXT_BGR;
  } else {
    return false;
  }
  const std::uint64_t imageBytes = ImageBufferBytes(cinfo.image_width, cinfo.image_height, cinfo.num_components * 8);
  if (!DecodedSizeIsPlausible(file.size(), imageBytes)) return false;
  // Coefficient buffers of progressive files are about twice the pixels; beyond
  // that the decoder fails instead of growing.
  cinfo.mem->max_memory_to_use = long(std::min<std::uint64_t>(imageBytes * 3 + (64 << 20), LONG_MAX));
  jpeg_start_decompress(&cinfo);
  return true;
}

bool ReadRows(jpeg_decompress_struct& cinfo, JpegErrorManager& err, CImage& image) {
  if (setjmp(err.jump)) return false;
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = image.Row(int(cinfo.output_scanline));
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) return false;
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

bool Compress(const CImage& image, jpeg_compress_struct& cinfo, JpegErrorManager& err, unsigned char** buffer,
              unsigned long* size, std::uint8_t* scratch) {
  if (setjmp(err.jump)) return false;
  jpeg_create_compress(&cinfo);
  const bool grey = image.GetBitsPerPixel() == 8 && HasGreyPalette(image);
  jpeg_mem_dest(&cinfo, buffer, size);
  cinfo.image_width = JDIMENSION(image.GetWidth());
  cinfo.image_height = JDIMENSION(image.GetHeight());
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, kQuality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = int(cinfo.next_scanline);
    JSAMPROW row = scratch;
    if (grey || image.GetBitsPerPixel() == 24)
      row = const_cast<std::uint8_t*>(image.Row(y));  // libjpeg only reads it
    else
      RowToBgr(image, y, scratch);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

}  // namespace

bool IdentifyJpeg(ByteSpan head) { return head.size() >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF; }

bool ReadJpeg(ByteSpan file, CImage& out) {
  if (!IdentifyJpeg(file)) return false;
  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  JpegErrorManager err;
  InstallErrorManager(err);
  cinfo.err = &err.manager;
  jpeg_progress_mgr progress{};
  CImage image;
  bool ok = StartDecoding(file, cinfo, err, progress) && image.Create(int(cinfo.output_width), int(cinfo.output_height),
                                                                      cinfo.output_components == 1 ? 8 : 24);
  ok = ok && image.GetBytesPerPixel() == cinfo.output_components && ReadRows(cinfo, err, image);
  jpeg_destroy_decompress(&cinfo);
  if (!ok) return false;
  out = std::move(image);
  return true;
}

bool WriteJpeg(const CImage& image, ByteVector& out) {
  if (image.IsEmpty() || (image.GetBitsPerPixel() != 8 && image.GetBitsPerPixel() != 24)) return false;
  ByteVector scratch;
  if (!TryResize(scratch, std::uint64_t(image.GetWidth()) * 3)) return false;
  jpeg_compress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  JpegErrorManager err;
  InstallErrorManager(err);
  cinfo.err = &err.manager;
  unsigned char* buffer = nullptr;  // grown by libjpeg with malloc
  unsigned long size = 0;
  bool ok = Compress(image, cinfo, err, &buffer, &size, scratch.data());
  jpeg_destroy_compress(&cinfo);
  if (ok) {
    try {
      out.assign(buffer, buffer + size);
    } catch (const std::exception&) {
      ok = false;
    }
  }
  std::free(buffer);
  return ok;
}

}  // namespace linea

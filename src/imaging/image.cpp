#include "imaging/image.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <new>
#include <stdexcept>

#include <sys/types.h>

#include "base/atomic_file.h"
#include "base/binary_io.h"
#include "base/checked_alloc.h"
#include "imaging/image_codecs.h"

namespace linea {

bool CImage::Create(int width, int height, int bitsPerPixel) {
  if (bitsPerPixel != 8 && bitsPerPixel != 24) return false;
  if (width < 1 || width > kMaxImageSide || height < 1 || height > kMaxImageSide) return false;
  std::int64_t rowBytes = PaddedRowBytes(width, bitsPerPixel);
  auto total = CheckedMultiply(std::uint64_t(rowBytes), std::uint64_t(height));
  if (!total) return false;
  std::vector<std::uint8_t> fresh;
  if (!TryResize(fresh, *total)) return false;

  pixels_.swap(fresh);
  width_ = width;
  height_ = height;
  bitsPerPixel_ = bitsPerPixel;
  bytesPerLine_ = int(rowBytes);
  for (int i = 0; i < 256; ++i)
    palette_[i] = bitsPerPixel == 8 ? MakeColor(std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)) : 0;
  return true;
}

void CImage::DeleteObject() {
  std::vector<std::uint8_t>().swap(pixels_);
  width_ = height_ = bitsPerPixel_ = bytesPerLine_ = 0;
  palette_.fill(0);
}

std::uint32_t CImage::GetColorFromIndex(int index) const {
  if (index < 0 || index > 255) return 0;
  return palette_[index];
}

void CImage::SetColorForIndex(int index, std::uint32_t color) {
  if (index < 0 || index > 255) return;
  palette_[index] = color & 0xFFFFFFu;
}

std::uint32_t CImage::GetColorFromPixel(int x, int y) const {
  if (IsEmpty() || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  const std::uint8_t* row = Row(y);
  if (bitsPerPixel_ == 8) return palette_[row[x]];
  const std::uint8_t* p = row + std::size_t(x) * 3;
  return MakeColor(p[2], p[1], p[0]);
}

int CImage::GetIndexFromPixel(int x, int y) const {
  if (IsEmpty() || bitsPerPixel_ != 8 || x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
  return Row(y)[x];
}

bool CImage::SetColorForPixel(int x, int y, int index) {
  if (IsEmpty() || bitsPerPixel_ != 8 || x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  if (index < 0 || index > 255) return false;
  Row(y)[x] = std::uint8_t(index);
  return true;
}

int CImage::FindNearestPaletteColor(std::uint32_t color) const {
  int best = 0;
  std::int64_t bestDistance = -1;
  for (int i = 0; i < 256; ++i) {
    std::int64_t dr = int(ColorRed(palette_[i])) - int(ColorRed(color));
    std::int64_t dg = int(ColorGreen(palette_[i])) - int(ColorGreen(color));
    std::int64_t db = int(ColorBlue(palette_[i])) - int(ColorBlue(color));
    std::int64_t distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      bestDistance = distance;
      best = i;
      if (distance == 0) break;
    }
  }
  return best;
}

void CImage::Fill(int x, int y, int width, int height, std::uint32_t color) {
  if (IsEmpty() || width <= 0 || height <= 0) return;
  // 64-bit edges so that x + width cannot overflow.
  std::int64_t left = std::max<std::int64_t>(x, 0);
  std::int64_t top = std::max<std::int64_t>(y, 0);
  std::int64_t right = std::min<std::int64_t>(std::int64_t(x) + width, width_);
  std::int64_t bottom = std::min<std::int64_t>(std::int64_t(y) + height, height_);
  if (left >= right || top >= bottom) return;
  if (bitsPerPixel_ == 8) {
    auto index = std::uint8_t(FindNearestPaletteColor(color));
    for (std::int64_t row = top; row < bottom; ++row)
      std::fill(Row(int(row)) + left, Row(int(row)) + right, index);
    return;
  }
  for (std::int64_t row = top; row < bottom; ++row) {
    std::uint8_t* p = Row(int(row)) + left * 3;
    for (std::int64_t col = left; col < right; ++col, p += 3) {
      p[0] = ColorBlue(color);
      p[1] = ColorGreen(color);
      p[2] = ColorRed(color);
    }
  }
}

bool CImage::Load(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (ReadFileBytes(path, bytes, kMaxImageFileBytes) != ReadFileResult::Ok) return false;
  return DecodeImage(bytes, *this);
}

namespace {

// The temporary file of an atomic save as a sink.
class CFileSink : public CByteSink {
 public:
  explicit CFileSink(CAtomicFile& file) : file_(file) {}
  bool Write(const void* data, std::size_t size) override {
    if (!file_.Write(data, size)) return false;
    position_ += size;
    size_ = std::max(size_, position_);
    return true;
  }
  bool Seek(std::uint64_t position) override {
    if (file_.Failed() || position > std::uint64_t(INT64_MAX) ||
        ::fseeko(file_.Stream(), off_t(position), SEEK_SET) != 0)
      return false;
    position_ = position;
    return true;
  }
  std::uint64_t Position() const override { return position_; }
  std::uint64_t Size() const override { return size_; }

 private:
  CAtomicFile& file_;
  std::uint64_t position_ = 0;
  std::uint64_t size_ = 0;
};

}  // namespace

bool CImage::Save(const std::string& path, int formatCode) const {
  if (IsEmpty()) return false;
  const ImageCodec* codec = FindCodecByFormat(formatCode);
  if (!codec || !codec->write) return false;
  if (codec->stream) {
    // Written as encoded: no second copy of a large picture in memory. The
    // target is replaced only when the whole file is on the disk.
    CAtomicFile file;
    if (!file.Open(path)) return false;
    CFileSink sink(file);
    bool ok = false;
    try {
      ok = codec->stream(*this, sink);
    } catch (const std::bad_alloc&) {
      ok = false;
    } catch (const std::length_error&) {
      ok = false;
    }
    return ok && file.Commit();  // a file not committed is removed
  }
  std::vector<std::uint8_t> bytes;
  try {
    if (!codec->write(*this, bytes)) return false;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return WriteFileAtomically(path, bytes.data(), bytes.size()) == 0;
}

}  // namespace linea

#include "layers/bitmap_layer.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace linea {

static_assert(std::endian::native == std::endian::little,
              "lookup entries are written to 24-bit pixels as their first three bytes in memory");

namespace compose {
namespace {

// Unaligned word access to pixel rows.
template <class Word>
inline Word LoadWord(const std::uint8_t* p) {
  Word value;
  std::memcpy(&value, p, sizeof value);
  return value;
}
template <class Word>
inline void StoreWord(std::uint8_t* p, Word value) {
  std::memcpy(p, &value, sizeof value);
}
inline std::uint32_t Load32(const std::uint8_t* p) { return LoadWord<std::uint32_t>(p); }
inline void Store32(std::uint8_t* p, std::uint32_t value) { StoreWord(p, value); }
inline std::uint64_t Load64(const std::uint8_t* p) { return LoadWord<std::uint64_t>(p); }
inline void Store64(std::uint8_t* p, std::uint64_t value) { StoreWord(p, value); }

// Four 24-bit values (the low three bytes of each) laid out as the 12 bytes of
// four consecutive pixels, in three words.
struct Packed {
  std::uint32_t w0, w1, w2;
};
inline Packed Pack(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
  return {a | (b << 24), (b >> 8) | (c << 16), (c >> 16) | (d << 8)};
}

// Byte by byte (a + b) / 2, truncated, without carries between the bytes.
inline std::uint32_t Average(std::uint32_t a, std::uint32_t b) { return (a & b) + (((a ^ b) & 0xFEFEFEFEu) >> 1); }

inline void Put3(std::uint8_t* pixel, std::uint32_t entry) {
  pixel[0] = std::uint8_t(entry);
  pixel[1] = std::uint8_t(entry >> 8);
  pixel[2] = std::uint8_t(entry >> 16);
}

inline void Blend3(std::uint8_t* pixel, std::uint32_t entry) {
  pixel[0] = std::uint8_t((unsigned(std::uint8_t(entry)) + pixel[0]) >> 1);
  pixel[1] = std::uint8_t((unsigned(std::uint8_t(entry >> 8)) + pixel[1]) >> 1);
  pixel[2] = std::uint8_t((unsigned(std::uint8_t(entry >> 16)) + pixel[2]) >> 1);
}

// Byte by byte (a + b) / 2 over eight bytes.
inline std::uint64_t Average64(std::uint64_t a, std::uint64_t b) {
  return (a & b) + (((a ^ b) & 0xFEFEFEFEFEFEFEFEull) >> 1);
}


// Local copies of the tables, so that the compiler knows that the byte stores into
// the target cannot change them and keeps them out of the loop's reloads.
struct LocalTables {
  std::uint32_t color[256];  // the lookup entry's three bytes
  std::uint32_t paint[256];  // 0xFFFFFF where the index is painted, 0 where skipped
  // The 24 bytes of eight pixels of one index: flat areas of class maps and bands,
  // and the empty areas of drawings, go eight pixels at a time.
  std::uint64_t eight[256][3];
};

void MakeTables(const std::array<std::uint32_t, 256>& lookup, const std::array<bool, 256>* skip, LocalTables& tables) {
  for (int i = 0; i < 256; ++i) {
    tables.color[i] = lookup[i] & 0xFFFFFFu;
    tables.paint[i] = skip != nullptr && (*skip)[i] ? 0u : 0xFFFFFFu;
    // Bytes b g r b g r b g | r b g r b g r b | g r b g r b g r.
    const std::uint64_t c = tables.color[i];
    tables.eight[i][0] = c | c << 24 | c << 48;
    tables.eight[i][1] = c >> 16 | c << 8 | c << 32 | c << 56;
    tables.eight[i][2] = c >> 8 | c << 16 | c << 40;
  }
}

// The 24 bytes of eight pixels of one colour, from the table's three words.
inline void StoreEight(std::uint8_t* p, const std::uint64_t* color) {
  Store64(p, color[0]);
  Store64(p + 8, color[1]);
  Store64(p + 16, color[2]);
}

// Eight source bytes that are all the same index.
inline bool Uniform(std::uint64_t eight) { return eight == (eight & 0xFF) * 0x0101010101010101ull; }

// Painted pixels of each row take the lookup colour, or with kBlend its mean with
// the target. Eight equal indices go as three 64-bit words; otherwise four pixels
// go as three 32-bit words (blending under a mask of the painted bytes).
template <bool kBlend>
void PaintImage(const std::uint8_t* source, std::size_t sourceStride, std::uint8_t* target, std::size_t targetStride,
                int width, int height, const std::array<std::uint32_t, 256>& lookup,
                const std::array<bool, 256>& skip) {
  LocalTables tables;
  MakeTables(lookup, &skip, tables);
  const bool zeroSkipped = tables.paint[0] == 0;
  auto four = [&tables](const std::uint8_t* s, std::uint8_t* p) {
    const std::uint8_t i0 = s[0], i1 = s[1], i2 = s[2], i3 = s[3];
    const std::uint32_t m0 = tables.paint[i0], m1 = tables.paint[i1], m2 = tables.paint[i2], m3 = tables.paint[i3];
    if ((m0 | m1 | m2 | m3) == 0) return;
    const Packed color = Pack(tables.color[i0], tables.color[i1], tables.color[i2], tables.color[i3]);
    if constexpr (kBlend) {
      const Packed mask = Pack(m0, m1, m2, m3);
      const std::uint32_t t0 = Load32(p), t1 = Load32(p + 4), t2 = Load32(p + 8);
      Store32(p, (Average(color.w0, t0) & mask.w0) | (t0 & ~mask.w0));
      Store32(p + 4, (Average(color.w1, t1) & mask.w1) | (t1 & ~mask.w1));
      Store32(p + 8, (Average(color.w2, t2) & mask.w2) | (t2 & ~mask.w2));
    } else if ((m0 & m1 & m2 & m3) != 0) {
      Store32(p, color.w0);
      Store32(p + 4, color.w1);
      Store32(p + 8, color.w2);
    } else {
      // Scattered pixels (stripes): stores only, no reads of the target.
      if (m0 != 0) Put3(p, tables.color[i0]);
      if (m1 != 0) Put3(p + 3, tables.color[i1]);
      if (m2 != 0) Put3(p + 6, tables.color[i2]);
      if (m3 != 0) Put3(p + 9, tables.color[i3]);
    }
  };
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* s = source + std::size_t(y) * sourceStride;
    std::uint8_t* d = target + std::size_t(y) * targetStride;
    int x = 0;
    while (x + 8 <= width) {
      const std::uint64_t eight = Load64(s + x);
      std::uint8_t* p = d + 3 * std::size_t(x);
      x += 8;
      if (eight == 0 && zeroSkipped) {
        // An empty stretch (the usual black transparent colour): 32 pixels a step.
        while (x + 32 <= width && (Load64(s + x) | Load64(s + x + 8) | Load64(s + x + 16) | Load64(s + x + 24)) == 0)
          x += 32;
        continue;
      }
      if (Uniform(eight)) {
        const std::uint8_t index = std::uint8_t(eight);
        if (tables.paint[index] == 0) continue;
        const std::uint64_t* color = tables.eight[index];
        if constexpr (kBlend) {
          Store64(p, Average64(color[0], Load64(p)));
          Store64(p + 8, Average64(color[1], Load64(p + 8)));
          Store64(p + 16, Average64(color[2], Load64(p + 16)));
        } else {
          StoreEight(p, color);
        }
        continue;
      }
      four(s + x - 8, p);
      four(s + x - 4, p + 12);
    }
    for (; x + 4 <= width; x += 4) four(s + x, d + 3 * std::size_t(x));
    for (; x < width; ++x) {
      const std::uint8_t index = s[x];
      if (tables.paint[index] == 0) continue;
      if constexpr (kBlend)
        Blend3(d + 3 * std::size_t(x), tables.color[index]);
      else
        Put3(d + 3 * std::size_t(x), tables.color[index]);
    }
  }
}

}  // namespace

namespace {

// One row through the lookup, eight pixels at a time, from pixel `x` on; returns
// where it stopped. Rows of one index (flat class maps) take the eight-pixel
// patterns.
inline int LookupEights(const std::uint8_t* s, std::uint8_t* d, int x, int width, const LocalTables& tables) {
  for (; x + 8 <= width; x += 8) {
    const std::uint64_t eight = Load64(s + x);
    std::uint8_t* p = d + 3 * std::size_t(x);
    if (Uniform(eight)) {
      StoreEight(p, tables.eight[std::uint8_t(eight)]);
      continue;
    }
    for (int half = 0; half < 8; half += 4) {
      const Packed color = Pack(tables.color[std::uint8_t(eight >> (8 * half))],
                                tables.color[std::uint8_t(eight >> (8 * half + 8))],
                                tables.color[std::uint8_t(eight >> (8 * half + 16))],
                                tables.color[std::uint8_t(eight >> (8 * half + 24))]);
      Store32(p + 3 * half, color.w0);
      Store32(p + 3 * half + 4, color.w1);
      Store32(p + 3 * half + 8, color.w2);
    }
  }
  return x;
}

#if defined(__x86_64__)
// The same with the byte shuffle of SSSE3 packing four lookup entries into twelve
// bytes. The 16-byte stores write four bytes beyond the eight pixels; they run only
// while at least four more pixels follow in the row, which are painted afterwards.
__attribute__((target("ssse3"))) int LookupEightsSsse3(const std::uint8_t* s, std::uint8_t* d, int x, int width,
                                                         const LocalTables& tables) {
  const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  alignas(16) std::uint32_t entries[8];
  for (; x + 12 <= width; x += 8) {
    const std::uint64_t eight = Load64(s + x);
    std::uint8_t* p = d + 3 * std::size_t(x);
    if (Uniform(eight)) {
      StoreEight(p, tables.eight[std::uint8_t(eight)]);
      continue;
    }
    for (int k = 0; k < 8; ++k) entries[k] = tables.color[std::uint8_t(eight >> (8 * k))];
    const __m128i low = _mm_shuffle_epi8(_mm_load_si128(reinterpret_cast<const __m128i*>(entries)), pack);
    const __m128i high = _mm_shuffle_epi8(_mm_load_si128(reinterpret_cast<const __m128i*>(entries + 4)), pack);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 12), high);
  }
  return x;
}

bool HasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}
#endif

}  // namespace

void LookupImage(const std::uint8_t* source, std::size_t sourceStride, std::uint8_t* target,
                 std::size_t targetStride, int width, int height, const std::array<std::uint32_t, 256>& lookup) {
  LocalTables tables;
  MakeTables(lookup, nullptr, tables);
#if defined(__x86_64__)
  const bool ssse3 = HasSsse3();
#else
  const bool ssse3 = false;
#endif
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* s = source + std::size_t(y) * sourceStride;
    std::uint8_t* d = target + std::size_t(y) * targetStride;
    int x = 0;
#if defined(__x86_64__)
    if (ssse3) x = LookupEightsSsse3(s, d, x, width, tables);
#endif
    x = LookupEights(s, d, x, width, tables);
    for (; x < width; ++x) Put3(d + 3 * std::size_t(x), tables.color[s[x]]);
  }
}

void LookupImageSkipping(const std::uint8_t* source, std::size_t sourceStride, std::uint8_t* target,
                         std::size_t targetStride, int width, int height,
                         const std::array<std::uint32_t, 256>& lookup, const std::array<bool, 256>& skip) {
  PaintImage<false>(source, sourceStride, target, targetStride, width, height, lookup, skip);
}

void BlendImageSkipping(const std::uint8_t* source, std::size_t sourceStride, std::uint8_t* target,
                        std::size_t targetStride, int width, int height,
                        const std::array<std::uint32_t, 256>& lookup, const std::array<bool, 256>& skip) {
  PaintImage<true>(source, sourceStride, target, targetStride, width, height, lookup, skip);
}

void CopyImage24(const std::uint8_t* source, std::size_t sourceStride, std::uint8_t* target,
                 std::size_t targetStride, int width, int height, bool skipTransparent, std::uint32_t skipColor) {
  if (width <= 0) return;
  const std::uint8_t blue = ColorBlue(skipColor), green = ColorGreen(skipColor), red = ColorRed(skipColor);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* s = source + std::size_t(y) * sourceStride;
    std::uint8_t* d = target + std::size_t(y) * targetStride;
    if (!skipTransparent) {
      std::memcpy(d, s, 3 * std::size_t(width));
      continue;
    }
    for (int x = 0; x < width; ++x, s += 3, d += 3) {
      if (s[0] == blue && s[1] == green && s[2] == red) continue;
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
  }
}

}  // namespace compose

CBitmapLayer::CBitmapLayer(std::string_view name, bool deletable) : CLayer(name, deletable) {}

int CBitmapLayer::GetHeight() const { return std::max(0, image_.GetHeight()); }
int CBitmapLayer::GetWidth() const { return std::max(0, image_.GetWidth()); }

bool CBitmapLayer::Load(const std::string& path) {
  if (!image_.Load(path)) return false;
  if (image_.GetBitsPerPixel() == 8)
    for (int i = 0; i < 256; ++i) lookup_[i] = LookupEntryOfColor(image_.GetColorFromIndex(i));
  return true;
}

std::array<bool, 256> CBitmapLayer::TransparentIndices() const {
  std::array<bool, 256> skip{};
  for (int i = 0; i < 256; ++i) skip[i] = lookup_[i] == transparentColor_;
  return skip;
}

bool CBitmapLayer::CommonRows(const CImage& target, int& firstRow, int& endRow, int& width) const {
  // Both should have the project's size; only the common part is painted.
  width = std::min(image_.GetWidth(), target.GetWidth());
  firstRow = std::max(firstRow, 0);
  endRow = std::min({endRow, image_.GetHeight(), target.GetHeight()});
  return firstRow < endRow;
}

bool CBitmapLayer::DrawOnImageRows(CImage& target, int firstRow, int endRow) {
  if (!IsVisible()) return true;
  if (image_.IsEmpty() || target.IsEmpty()) return false;
  if (target.GetBitsPerPixel() != 24 || (image_.GetBitsPerPixel() != 8 && image_.GetBitsPerPixel() != 24)) return false;
  int width = 0;
  if (!CommonRows(target, firstRow, endRow, width)) return true;
  const int rows = endRow - firstRow;
  const std::size_t sourceStride = std::size_t(image_.GetBytesPerLine());
  const std::size_t targetStride = std::size_t(target.GetBytesPerLine());
  const std::uint8_t* source = image_.Row(firstRow);
  std::uint8_t* bits = target.Row(firstRow);
  if (image_.GetBitsPerPixel() == 24)
    compose::CopyImage24(source, sourceStride, bits, targetStride, width, rows, transparency_, transparentColor_);
  else if (transparency_)
    compose::LookupImageSkipping(source, sourceStride, bits, targetStride, width, rows, lookup_, TransparentIndices());
  else
    compose::LookupImage(source, sourceStride, bits, targetStride, width, rows, lookup_);
  return true;
}

bool CBitmapLayer::DrawOverImage(CImage& target, const LineWidthScaling&) {
  if (!IsVisible()) return true;
  const int width = image_.GetWidth(), height = image_.GetHeight();
  const bool paletted = image_.GetBitsPerPixel() == 8;
  // The nearest target colour is looked up once per palette index, or once per run
  // of equal colours in a 24-bit image.
  std::array<int, 256> nearestOfIndex;
  nearestOfIndex.fill(-1);
  std::uint32_t lastColor = 0;
  int lastNearest = -1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t color = image_.GetColorFromPixel(x, y);
      if (color == transparentColor_) continue;
      int nearest;
      if (paletted) {
        int index = image_.Row(y)[x];
        if (nearestOfIndex[index] < 0) nearestOfIndex[index] = target.FindNearestPaletteColor(color);
        nearest = nearestOfIndex[index];
      } else {
        if (lastNearest < 0 || color != lastColor) {
          lastColor = color;
          lastNearest = target.FindNearestPaletteColor(color);
        }
        nearest = lastNearest;
      }
      if (!target.SetColorForPixel(x, y, nearest)) return false;
    }
  }
  return true;
}

void CBitmapLayer::SetPalette(std::span<const std::uint8_t> red, std::span<const std::uint8_t> green,
                              std::span<const std::uint8_t> blue, std::span<const std::uint8_t> used,
                              int count) {
  std::size_t n = std::size_t(std::max(count, 0));
  n = std::min({n, std::size_t(256), red.size(), green.size(), blue.size(), used.size()});
  for (std::size_t i = 0; i < n; ++i) {
    if (used[i] != 0) {
      lookup_[i] = LookupEntry(red[i], green[i], blue[i]);
      image_.SetColorForIndex(int(i), MakeColor(red[i], green[i], blue[i]));
    } else {
      lookup_[i] = transparentColor_;
      image_.SetColorForIndex(int(i), transparentColor_);
      transparency_ = true;
    }
  }
}

bool CBitmapLayer::CreateFromPixels(int width, int height, int bitsPerPixel,
                                    std::span<const std::uint8_t> pixels, std::span<const std::uint8_t> red,
                                    std::span<const std::uint8_t> green, std::span<const std::uint8_t> blue,
                                    std::span<const std::uint8_t> used, int count) {
  if (width <= 0 || height <= 0 || (bitsPerPixel != 8 && bitsPerPixel != 24)) return false;
  const std::size_t rowBytes = std::size_t(width) * std::size_t(bitsPerPixel / 8);
  if (pixels.size() / rowBytes < std::size_t(height)) return false;
  CImage fresh;
  if (!fresh.Create(width, height, bitsPerPixel)) return false;
  for (int y = 0; y < height; ++y) std::memcpy(fresh.Row(y), pixels.data() + std::size_t(y) * rowBytes, rowBytes);
  image_ = std::move(fresh);
  SetPalette(red, green, blue, used, count);
  MarkChanged();
  return true;
}

void CBitmapLayer::SetGrayPalette() {
  for (int i = 0; i < 256; ++i) {
    if (lookup_[i] == transparentColor_) continue;
    lookup_[i] = std::uint32_t(i) * 0x010101u;
    image_.SetColorForIndex(i, MakeColor(std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)));
  }
  MarkChanged();
}

}  // namespace linea

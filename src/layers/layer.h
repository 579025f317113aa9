#pragma once
// The root of every layer the view can show. A layer is owned by the
// CLayerStack it was added to; the stack is the only one that deletes it.

#include <cstdint>
#include <string>
#include <string_view>

namespace linea {

class CImage;

// Kind numbers reported by GetKind. 2 was never used.
enum LayerKind : int {
  kLayerKindBitmap = 0,
  kLayerKindVector = 1,
  kLayerKindRaster = 3,
  kLayerKindBand = 4,  // CColorBandLayer and CExtremumLayer
  kLayerKindCursor = 5,
  kLayerKindVector3 = 6,
};

// Bits of the flags word.
inline constexpr std::uint32_t kLayerVisible = 0x1;
inline constexpr std::uint32_t kLayerDeletable = 0x2;
inline constexpr std::uint32_t kLayerChanged = 0x4;  // must be composed again
inline constexpr std::uint32_t kLayerCursor = 0x8;
inline constexpr std::uint32_t kLayerSeveralColors = 0x10;  // "Изменить Цвет" is not offered

// Names are at most this many characters (code points of the UTF-8 text).
inline constexpr std::size_t kMaxLayerNameLength = 259;

// How CVectorLayer3 widens its lines when the view is zoomed out. The values come
// from the workspace (its automatic switch and `lineWidth`) and from the display zoom.
struct LineWidthScaling {
  bool enabled = false;
  int lineWidth = 1;
  double zoom = 1.0;
};

// The width a group of `width` pixels is drawn with under `scaling`.
int ScaledLineWidth(int width, const LineWidthScaling& scaling);

class CLayer {
 public:
  // Visible and changed, plus deletable when asked (flags 5 or 7). The name is
  // cut to kMaxLayerNameLength characters.
  CLayer(std::string_view name, bool deletable);
  virtual ~CLayer();
  CLayer(const CLayer&) = delete;
  CLayer& operator=(const CLayer&) = delete;

  // Size in pixels; never negative.
  virtual int GetHeight() const = 0;
  virtual int GetWidth() const = 0;
  virtual bool Load(const std::string& path) = 0;
  // Paints over `target` after every layer of the first pass (CVectorLayer3), or
  // into a paletted target by nearest colour (bitmap layers, for raster export).
  virtual bool DrawOverImage(CImage& target, const LineWidthScaling& scaling) = 0;
  // Paints into the 24-bit composition image.
  bool DrawOnImage(CImage& target);
  // The same for the target rows firstRow .. endRow - 1 only, so that composition
  // can paint every layer into one strip of rows while the strip is in the cache.
  // Success does not depend on the rows.
  virtual bool DrawOnImageRows(CImage& target, int firstRow, int endRow) = 0;
  virtual int GetKind() const = 0;

  const std::string& GetName() const { return name_; }
  const std::string& GetDescription() const { return description_; }
  void SetDescription(std::string description) { description_ = std::move(description); }

  std::uint32_t GetFlags() const { return flags_; }
  void SetFlags(std::uint32_t flags) { flags_ = flags; }
  bool HasFlag(std::uint32_t bit) const { return (flags_ & bit) != 0; }
  void SetFlag(std::uint32_t bit, bool on) { flags_ = on ? (flags_ | bit) : (flags_ & ~bit); }

  bool IsVisible() const { return HasFlag(kLayerVisible); }
  // Only the bit; whoever changes visibility also marks the layer changed.
  void SetVisible(bool visible) { SetFlag(kLayerVisible, visible); }
  bool IsDeletable() const { return HasFlag(kLayerDeletable); }
  void SetDeletable(bool deletable) { SetFlag(kLayerDeletable, deletable); }
  bool IsChanged() const { return HasFlag(kLayerChanged); }
  void MarkChanged() { SetFlag(kLayerChanged, true); }
  void ClearChanged() { SetFlag(kLayerChanged, false); }

 private:
  std::string name_;
  std::string description_;
  std::uint32_t flags_;
};

// `name` cut after kMaxLayerNameLength UTF-8 characters (never inside a character).
std::string TruncateLayerName(std::string_view name);

}  // namespace linea

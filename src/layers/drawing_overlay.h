#pragma once
// What the visible line drawings paint on the composed picture, kept between
// compositions. A drawing only ever replaces pixels with its own colours, whatever
// lies under them, so once the drawings stay the same from one composition to the
// next their pixels are rasterised once and then copied into the picture, strip by
// strip, after the raster layers.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "layers/layer.h"

namespace linea {

class CImage;
class CVectorLayer3;

class CDrawingOverlay {
 public:
  // Rows are rasterised in bands of about `bandBytes` colour numbers at a time.
  static constexpr std::size_t kDefaultBandBytes = 2 * 1024 * 1024;
  explicit CDrawingOverlay(std::size_t bandBytes = kDefaultBandBytes) : bandBytes_(bandBytes) {}

  // Makes the overlay stand for `drawings`, in drawing order, on a width x height
  // picture under `scaling`, and tells whether it does. A set of drawings, order,
  // revisions, drawn widths and size seen for the first time (or with `force`) is
  // only remembered: false, the caller draws the drawings itself. Seen unchanged at
  // the next call it is rasterised and kept, and true from then on until something
  // changes. False also when the overlay cannot stand for them (more than 255
  // colours, lines so dense that the runs would outweigh a byte per pixel, or
  // memory); that outcome is remembered too, so it is not tried at every call.
  bool Update(std::span<const CVectorLayer3* const> drawings, const LineWidthScaling& scaling, int width,
              int height, bool force);
  // Paints the rows firstRow .. endRow - 1 of the overlay into the 24-bit `target`,
  // which must have the overlay's size (anything else is left alone).
  void PaintRows(CImage& target, int firstRow, int endRow) const;
  // Forgets the overlay and frees its memory.
  void Clear();

  // How many times the drawings were rasterised; runs held now.
  std::uint64_t Builds() const { return builds_; }
  std::size_t RunCount() const;

 private:
  // What a drawing contributes to the key.
  struct Source {
    const CVectorLayer3* layer = nullptr;
    std::uint64_t revision = 0;
    std::vector<int> widths;  // drawn width of each group
    bool operator==(const Source&) const = default;
  };
  // `length` pixels of one colour, `gap` pixels after where the row's previous run
  // ended (after column 0 for the first). Longer gaps and runs are split; a run of
  // length 0 only skips.
  struct Run {
    std::uint16_t gap;
    std::uint8_t length;
    std::uint8_t colour;
  };

  static std::vector<Source> MakeSources(std::span<const CVectorLayer3* const> drawings,
                                         const LineWidthScaling& scaling);
  bool Build(std::span<const CVectorLayer3* const> drawings, const LineWidthScaling& scaling);
  // Appends the runs of `rows` rows of one-byte colour numbers from row `firstRow`
  // to `runs`; false past `maxRuns` runs in all.
  bool Encode(const std::uint8_t* values, int firstRow, int rows, std::vector<Run>& runs, std::size_t maxRuns);

  std::size_t bandBytes_;
  bool known_ = false;    // sources_, width_, height_ describe the last Update
  bool waiting_ = false;  // seen once, not rasterised yet
  bool usable_ = false;   // the runs stand for them
  std::vector<Source> sources_;
  int width_ = 0;
  int height_ = 0;
  std::array<std::uint32_t, 256> colours_{};  // colour number -> 0x00BBGGRR; 0 paints nothing
  // The picture is rasterised in bands of bandRows_ rows, each band's runs kept in
  // its own array: row y's runs end at rowEnds_[y] in bands_[y / bandRows_] and
  // start where the row before in the band ended (at 0 for a band's first row).
  int bandRows_ = 1;
  std::vector<std::vector<Run>> bands_;
  std::vector<std::uint32_t> rowEnds_;
  std::uint64_t builds_ = 0;
};

}  // namespace linea

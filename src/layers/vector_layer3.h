#pragma once
// Line drawings kept as polylines, grouped by colour and width, and rasterised
// into the composition image (straight, or once into the stack's CDrawingOverlay
// while they stay unchanged): rose glyphs, vectors, lineaments, isolines and drawn
// schemes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "layers/layer.h"

namespace linea {

// Image pixels: x the column, y the row (row 0 is the top row of the buffer).
struct PolylinePoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const PolylinePoint&) const = default;
};
struct PolylinePoint16 {
  std::int16_t x = 0;
  std::int16_t y = 0;
};

// The polylines of one colour and width, their points back to back in one array.
class CPolylineGroup {
 public:
  std::uint32_t GetColor() const { return color_; }  // 0x00BBGGRR
  int GetWidth() const { return width_; }            // pixels
  int PolylineCount() const { return int(starts_.size()) - 1; }
  // Polylines the group has room for before it must grow; always more than the count.
  int Capacity() const { return capacity_; }
  std::span<const PolylinePoint> Polyline(int index) const;

 private:
  friend class CVectorLayer3;
  std::uint32_t color_ = 0;
  int width_ = 0;
  int capacity_ = 0;
  std::vector<PolylinePoint> points_;
  // Polyline k is points_[starts_[k] .. starts_[k + 1]).
  std::vector<std::size_t> starts_{0};
};

class CVectorLayer3 : public CLayer {
 public:
  static constexpr int kMaxGroups = 24;
  static constexpr int kInitialCapacity = 100;
  static constexpr int kGrowthStep = 100;

  CVectorLayer3(std::string_view name, bool deletable);

  int GetHeight() const override { return 0; }
  int GetWidth() const override { return 0; }
  bool Load(const std::string&) override { return true; }
  // Rasterises every polyline into the 24-bit `target`: per group in table order,
  // per polyline in stored order, a dot at its last point and then its segments.
  // Final: the composition's cache of drawings reproduces exactly this.
  bool DrawOverImage(CImage& target, const LineWidthScaling& scaling) final;
  // The same walk over the rows firstRow .. endRow - 1 of a picture of one byte per
  // pixel (`bits` holds those rows): the pixels of group g are set to values[g] (a
  // group without a value is skipped).
  void DrawValues(std::uint8_t* bits, int bytesPerLine, int imageWidth, int imageHeight, int firstRow, int endRow,
                  const LineWidthScaling& scaling, std::span<const std::uint8_t> values) const;
  bool DrawOnImageRows(CImage&, int, int) override { return true; }
  int GetKind() const override { return kLayerKindVector3; }

  // Stores a copy of the points in the group of this colour and width, making the
  // group if needed. True when refused: a 25th combination, or memory exhausted
  // (the callers report both as out of memory). An empty polyline is stored empty.
  bool AddPolyline16(std::span<const PolylinePoint16> points, std::uint32_t color, int width);
  bool AddPolyline32(std::span<const PolylinePoint> points, std::uint32_t color, int width);

  int GroupCount() const { return int(groups_.size()); }
  // Counts every change of the lines, their colours or widths, so that a picture
  // made from the layer can tell whether it is still current.
  std::uint64_t Revision() const { return revision_; }
  const CPolylineGroup& Group(int index) const { return groups_[std::size_t(index)]; }

  // One colour or one width for every line of the layer. Groups that come to share
  // their colour and width stay apart (the group count never grows), so the order
  // in which overlapping lines are drawn does not change.
  void SetAllColors(std::uint32_t color);
  void SetAllWidths(int width);

  // The layer's byte flag: set by the builders on drawings whose lines are stripes
  // (the layers bar then offers "Заменить штрихи"); a merged drawing has it only when
  // every source had it. Drawing ignores it.
  std::uint8_t holdsStripes = 0;

  // Isoline drawings: the class on the higher side of each polyline, by group and
  // polyline, and the value scale of the class map they were traced from (class k
  // covers classFrom + (k - 1) * classWidth .. classFrom + k * classWidth). Filled by
  // the tracer only; empty for every other drawing.
  struct PolylineClasses {
    double classFrom = 0;
    double classWidth = -1.0;
    std::vector<std::vector<std::uint8_t>> byGroup;
  };
  PolylineClasses polylineClasses;
  bool HoldsPolylineClasses() const { return polylineClasses.classWidth >= 0 && !polylineClasses.byGroup.empty(); }
  // The class of polyline `polyline` of group `group`: false when the drawing holds
  // no class for it (not an isoline drawing, or a line added after the tracing).
  bool PolylineClass(int group, int polyline, int& classNumber) const;

 private:
  // The group to add to, made if missing; null when the table is full or memory
  // runs out. `created` tells whether it is new.
  CPolylineGroup* GroupFor(std::uint32_t color, int width, bool& created);
  template <typename Point>
  bool AddPolyline(std::span<const Point> points, std::uint32_t color, int width);

  std::vector<CPolylineGroup> groups_;
  std::uint64_t revision_ = 0;
};

}  // namespace linea

#pragma once
// The calculation-parameter block of a project: the parameters stored in the
// project file, the working choices of the map and lineament panels, and the
// palette settings. Defaults are those of a new project.

#include <cstdint>

namespace linea {

// Scaling modes of a rose-field map.
enum MapScalingMode : std::uint8_t {
  kScalingAuto = 0,
  kScalingNone = 1,
  kScalingManual = 2,
  kScalingPercent = 3,
};

struct CalcParameters {
  // Stripes.
  std::int32_t TR_Linear = 20;    // linearity threshold, 0..100
  std::int32_t TR_Contrast = 1;   // contrast threshold, 0..255
  // Block roses.
  double blockRoseSize = 1.0;     // key Size
  bool blockRoseGlobalNorm = false;  // key Norm
  // Window roses.
  std::int32_t rose_wind = 64;    // rose window in pixels, a multiple of 8

  // Rose-field map settings (no project keys).
  std::int32_t mapMin = 0;        // smallest measured value, written by the map builder
  std::int32_t mapMax = 0;        // largest measured value, written by the map builder
  std::int32_t mapKind = 'z';     // map kind code (see MapKindCode)
  double vectorSize = 1.0;        // size factor of vector glyphs
  double roseSize = 1.0;          // size factor of rose glyphs
  std::uint8_t scalingMode = kScalingPercent;
  std::int32_t mapTo = 255;       // value range mapped onto the classes
  std::int32_t mapFrom = 0;
  std::int32_t bandTo = 255;      // value range of the colour and extremum bands
  std::int32_t bandFrom = 0;
  bool localNormalisation = false;
  bool globalNormalisation = false;  // the rose panel's "Глобальная" choice

  // Lineament search (stored, read for descriptions only).
  std::int32_t nb1 = 3;           // lineament width, odd 1..9
  bool RelRez = true;             // relative resolution
  double dnh = 1.0;               // resolution distance
  double dfi = 1.0;               // resolution direction
  std::uint8_t Calck = 1;         // 0 single, 1 double, 2 multiple
  std::uint8_t Calck_DTM = 0;     // elevation-model stripes: 0 all, 1 valleys, 2 ridges
  bool LONG = true;               // long lineaments
  std::int32_t AngW = 2;          // sectors, 1..3
  double Part = 0.5;              // minimum length, 0..2

  // Lineament map settings (no project keys).
  std::int32_t lineamentFrom = 0;      // direction range in degrees
  std::int32_t lineamentTo = 180;
  std::int32_t lineamentSector = 0;    // 0 = all directions
  std::int32_t lineamentSectors = 8;
  std::int32_t lineamentValue = 99;    // minimum selection value
  std::int32_t lineamentLargestValue = 0;  // written by the builder
  std::int32_t lineamentSpare = 0;
  std::uint8_t lineamentOrder = 0;          // 0 "Real", 1 "Order"
  std::uint8_t lineamentSelectionMode = 0;  // 0 by sector, 1 by From/To
  std::uint8_t lineamentColourSet = 1;
  std::uint32_t lineamentColour = 255;      // 0x00BBGGRR: red
  double minDensity = 40.0;                 // MinDens of the rose-field maps
  double minElongation = 1.0;

  // Palette settings (command "Палитра").
  std::int32_t paletteSteps = 8;            // number of quanta
  bool paletteEqualPopulation = false;      // quanta equal by area instead of by value
  std::uint8_t paletteColours = 3;          // 3 "Много", 2 "Два", 1 "Один"
  double paletteContrast = 1.0;             // contrast of the many-colour palette

  double Filled_In = 0.09;        // filling, 0 < x <= 1
  double Filled_Out = 0.9;        // filling in mask, 0 < x <= 1
  double Rate = 1.0;              // compression rate, >= 1, a multiple of 1/8
  bool UseMask = false;

  // Working choices of the map panels that have no fixed place in the block.
  std::int32_t vectorStep = 2;
  std::int32_t roseStep = 4;
  std::int32_t lineStep = 2;
  bool lineamentRose = false;      // draw a lineament rose instead of the lineaments
  std::int32_t lineamentBeams = 180;
  std::int32_t lineamentSumWindow = 23;
  // The colour of the rose panel's vector and line maps once chosen with "Задать
  // цвет" (0x00BBGGRR); until then they are red, and elongation lines blue.
  bool roseMapColourSet = false;
  std::uint32_t roseMapColour = 0x0000FF;

  bool operator==(const CalcParameters&) const = default;
};

}  // namespace linea

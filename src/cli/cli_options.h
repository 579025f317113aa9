#pragma once
// The command line of linea-cli: the three commands, the layers a render builds
// in the order given with the settings of each, and the checks of the panels the
// options mirror (with the panels' own messages).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "results/calc_parameters.h"

namespace linea {

enum class RenderStepKind { Stripes, GlobalRose, BlockRoses, Highlight, Map, Lineaments, Isolines, Band, Extremum, Hide };

// The rose panel's fields a --map sets; what is not given keeps the value of the
// previous map (as the panel keeps its texts).
struct MapRequest {
  char kind = 'a';
  bool local = false;
  bool global = false;
  std::optional<double> minDensity, vectorSize, roseSize, minElongation, brightness;
  std::optional<int> from, to, vectorStep, roseStep, lineStep, steps;
  std::optional<std::uint8_t> scaling, palette;
  std::optional<bool> equalArea;
};

// The lineament panel's fields.
struct LineamentRequest {
  std::optional<int> sector, sectors, from, to, threshold, beams, window;
  bool range = false;  // "Диапазон" instead of a sector
  bool order = false;
  bool rose = false;
};

// The colour band dialog's fields for --band and --extremum.
struct BandRequest {
  int from = 0, to = 0;
  bool maxima = true;
  std::optional<int> width;
  std::optional<double> range;
  std::optional<std::uint32_t> colour;  // 0x00BBGGRR
};

struct RenderStep {
  RenderStepKind kind = RenderStepKind::Stripes;
  MapRequest map;
  LineamentRequest lineaments;
  BandRequest band;
  std::string layerName;  // --hide
};

struct RenderRequest {
  std::string project;
  std::string output;
  std::string description;  // --describe, empty when not asked
  double zoom = 1.0;
  std::vector<RenderStep> steps;
};

// Parses the arguments after "render". Empty text on success, else what is wrong.
std::string ParseRenderArguments(const std::vector<std::string>& arguments, RenderRequest& request);

// The map kind of a code character or an English kind name ("density",
// "main-direction"), or 0.
char ParseMapKind(const std::string& text);
// Whether the rose panel offers the kind with these normalisation switches.
bool MapKindOffered(char kind, bool local, bool global);

// Stores a map request into the parameters as the rose panel stores its fields
// (with the palette settings it carries); the panel's checks follow, and the
// message of the first failure (or "") is returned.
std::string ApplyMapRequest(const MapRequest& request, CalcParameters& params);
// Stores a lineament request as the lineament panel does; the panel's checks
// follow, and the message of the first failure (or "") is returned.
std::string ApplyLineamentRequest(const LineamentRequest& request, CalcParameters& params);

// The output format of a file name: PNG, TIFF or BMP by its extension, else kNoRenderFormat.
inline constexpr int kNoRenderFormat = -2;
int RenderFormatOfPath(const std::string& path);
// The save-filter entry of a compressed base image by its extension, or -1.
int CompressFilterOfPath(const std::string& path);

}  // namespace linea

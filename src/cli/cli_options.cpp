#include "cli/cli_options.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "base/field_kinds.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/profile_text.h"
#include "base/string_table.h"
#include "imaging/image.h"
#include "project/map_panel_rules.h"

namespace linea {

namespace {

bool ParseInt(const std::string& text, int& value) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != 0 || v < -2147483647L || v > 2147483647L) return false;
  value = int(v);
  return true;
}

bool ParseColour(const std::string& text, std::uint32_t& colour) {
  std::string hex = text;
  if (!hex.empty() && hex[0] == '#') hex.erase(0, 1);
  if (hex.size() != 6 || !std::all_of(hex.begin(), hex.end(), [](unsigned char c) { return std::isxdigit(c); }))
    return false;
  const unsigned long rgb = std::strtoul(hex.c_str(), nullptr, 16);
  colour = MakeColor(std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb));
  return true;
}

std::string Folded(const std::string& text) {
  std::string out;
  for (unsigned char c : text) out += (c == '-' || c == '_') ? ' ' : char(std::tolower(c));
  return out;
}

bool IsLayerOption(const std::string& option) {
  static const char* const kLayerOptions[] = {"--stripes", "--global-rose", "--block-roses", "--highlight",
                                              "--map", "--lineaments", "--isolines", "--band", "--extremum",
                                              "--hide"};
  return std::find_if(std::begin(kLayerOptions), std::end(kLayerOptions),
                      [&](const char* o) { return option == o; }) != std::end(kLayerOptions);
}

}  // namespace

char ParseMapKind(const std::string& text) {
  const auto codes = MapKindCodes();
  if (text.size() == 1) {
    for (int i = 0; i < kFieldKindCount; ++i)
      if (codes[std::size_t(i)] == text[0]) return text[0];
    return 0;
  }
  const auto names = FieldKindEnglishNameIds();
  for (int i = 0; i < kFieldKindCount; ++i)
    if (Folded(LoadText(names[std::size_t(i)])) == Folded(text)) return codes[std::size_t(i)];
  return 0;
}

bool MapKindOffered(char kind, bool local, bool global) {
  for (int p = 0; p < MapKindCount(local, global); ++p)
    if (MapKindCode(local, global, p) == kind) return true;
  return false;
}

std::string ParseRenderArguments(const std::vector<std::string>& arguments, RenderRequest& request) {
  RenderStep* step = nullptr;
  auto need = [&](std::size_t& i, int count) { return i + std::size_t(count) < arguments.size(); };
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    int n = 0;
    double x = 0;
    if (option == "-o" || option == "--output") {
      if (!need(i, 1)) return "-o needs a file name";
      request.output = arguments[++i];
      continue;
    }
    if (option.size() < 2 || option[0] != '-' || option[1] != '-') {
      if (!request.project.empty()) return "unexpected argument " + option;
      request.project = option;
      continue;
    }
    if (option == "--zoom") {
      if (!need(i, 1) || !ParseWholeDouble(arguments[i + 1], x) || !(x > 0) || x > 64) return "--zoom needs a number above 0 and up to 64";
      request.zoom = x;
      ++i;
      continue;
    }
    if (option == "--describe") {
      if (!need(i, 1)) return "--describe needs a file name";
      request.description = arguments[++i];
      continue;
    }
    if (IsLayerOption(option)) {
      RenderStep next;
      if (option == "--stripes") next.kind = RenderStepKind::Stripes;
      else if (option == "--global-rose") next.kind = RenderStepKind::GlobalRose;
      else if (option == "--block-roses") next.kind = RenderStepKind::BlockRoses;
      else if (option == "--highlight") next.kind = RenderStepKind::Highlight;
      else if (option == "--lineaments") next.kind = RenderStepKind::Lineaments;
      else if (option == "--isolines") next.kind = RenderStepKind::Isolines;
      else if (option == "--map") {
        next.kind = RenderStepKind::Map;
        if (!need(i, 1)) return "--map needs a kind";
        next.map.kind = ParseMapKind(arguments[++i]);
        if (next.map.kind == 0) return "unknown map kind " + arguments[i];
      } else if (option == "--band") {
        next.kind = RenderStepKind::Band;
        if (!need(i, 2) || !ParseInt(arguments[i + 1], next.band.from) || !ParseInt(arguments[i + 2], next.band.to))
          return "--band needs FROM TO";
        i += 2;
      } else if (option == "--extremum") {
        next.kind = RenderStepKind::Extremum;
        if (!need(i, 1) || (arguments[i + 1] != "max" && arguments[i + 1] != "min"))
          return "--extremum needs max or min";
        next.band.maxima = arguments[++i] == "max";
      } else {
        next.kind = RenderStepKind::Hide;
        if (!need(i, 1)) return "--hide needs a layer name";
        next.layerName = arguments[++i];
      }
      request.steps.push_back(next);
      step = &request.steps.back();
      continue;
    }
    // Settings of the layer option before them.
    const RenderStepKind kind = step ? step->kind : RenderStepKind::Hide;
    auto intValue = [&](std::optional<int>& target) -> bool {
      if (!need(i, 1) || !ParseInt(arguments[i + 1], n)) return false;
      target = n;
      ++i;
      return true;
    };
    auto realValue = [&](std::optional<double>& target) -> bool {
      if (!need(i, 1) || !ParseWholeDouble(arguments[i + 1], x)) return false;
      target = x;
      ++i;
      return true;
    };
    const std::string bad = option + " needs a number";
    if (kind == RenderStepKind::Map) {
      MapRequest& map = step->map;
      if (option == "--local") map.local = true;
      else if (option == "--global") map.global = true;
      else if (option == "--min-density") { if (!realValue(map.minDensity)) return bad; }
      else if (option == "--from") { if (!intValue(map.from)) return bad; }
      else if (option == "--to") { if (!intValue(map.to)) return bad; }
      else if (option == "--vector-step") { if (!intValue(map.vectorStep)) return bad; }
      else if (option == "--rose-step") { if (!intValue(map.roseStep)) return bad; }
      else if (option == "--line-step") { if (!intValue(map.lineStep)) return bad; }
      else if (option == "--vector-size") { if (!realValue(map.vectorSize)) return bad; }
      else if (option == "--rose-size") { if (!realValue(map.roseSize)) return bad; }
      else if (option == "--min-elongation") { if (!realValue(map.minElongation)) return bad; }
      else if (option == "--steps") { if (!intValue(map.steps)) return bad; }
      else if (option == "--brightness") { if (!realValue(map.brightness)) return bad; }
      else if (option == "--equal-area") map.equalArea = true;
      else if (option == "--scaling") {
        if (!need(i, 1)) return "--scaling needs auto, no, manual or percent";
        const std::string& mode = arguments[++i];
        if (mode == "auto") map.scaling = kScalingAuto;
        else if (mode == "no") map.scaling = kScalingNone;
        else if (mode == "manual") map.scaling = kScalingManual;
        else if (mode == "percent") map.scaling = kScalingPercent;
        else return "--scaling needs auto, no, manual or percent";
      } else if (option == "--palette") {
        if (!need(i, 1)) return "--palette needs grey, ramp or table";
        const std::string& palette = arguments[++i];
        if (palette == "grey") map.palette = 1;
        else if (palette == "ramp") map.palette = 2;
        else if (palette == "table") map.palette = 3;
        else return "--palette needs grey, ramp or table";
      } else {
        return "unknown option " + option + " for --map";
      }
      continue;
    }
    if (kind == RenderStepKind::Lineaments) {
      LineamentRequest& l = step->lineaments;
      if (option == "--sector") { if (!intValue(l.sector)) return bad; }
      else if (option == "--sectors") { if (!intValue(l.sectors)) return bad; }
      else if (option == "--threshold") { if (!intValue(l.threshold)) return bad; }
      else if (option == "--beams") { if (!intValue(l.beams)) return bad; }
      else if (option == "--window") { if (!intValue(l.window)) return bad; }
      else if (option == "--order") l.order = true;
      else if (option == "--rose") l.rose = true;
      else if (option == "--range") {
        if (!intValue(l.from) || !intValue(l.to)) return "--range needs FROM TO";
        l.range = true;
      } else {
        return "unknown option " + option + " for --lineaments";
      }
      continue;
    }
    if (kind == RenderStepKind::Band || kind == RenderStepKind::Extremum) {
      BandRequest& b = step->band;
      if (option == "--color" || option == "--colour") {
        std::uint32_t colour = 0;
        if (!need(i, 1) || !ParseColour(arguments[i + 1], colour)) return "--color needs RRGGBB";
        b.colour = colour;
        ++i;
      } else if (kind == RenderStepKind::Extremum && option == "--width") {
        if (!intValue(b.width)) return bad;
      } else if (kind == RenderStepKind::Extremum && option == "--range") {
        if (!realValue(b.range)) return bad;
      } else {
        return "unknown option " + option + " for " + (kind == RenderStepKind::Band ? "--band" : "--extremum");
      }
      continue;
    }
    return step ? "unknown option " + option + " here" : "unknown option " + option;
  }
  if (request.project.empty()) return "render needs a project";
  if (request.output.empty()) return "render needs -o OUT.png|.tif|.bmp";
  if (RenderFormatOfPath(request.output) == kNoRenderFormat) return "the output must end in .png, .tif or .bmp";
  bool mapBefore = false;
  for (const RenderStep& s : request.steps) {
    if (s.kind == RenderStepKind::Map && !MapKindOffered(s.map.kind, s.map.local, s.map.global))
      return std::string("map kind ") + s.map.kind + " is not offered with these normalisation switches";
    if (s.kind == RenderStepKind::Map) mapBefore = true;
    const bool derived = s.kind == RenderStepKind::Isolines || s.kind == RenderStepKind::Band ||
                         s.kind == RenderStepKind::Extremum;
    if (derived && !mapBefore) return "--isolines, --band and --extremum need a --map before them";
  }
  return {};
}

std::string ApplyMapRequest(const MapRequest& request, CalcParameters& params) {
  if (request.steps) params.paletteSteps = *request.steps;
  if (request.palette) params.paletteColours = *request.palette;
  if (request.brightness) params.paletteContrast = *request.brightness;
  if (request.equalArea) params.paletteEqualPopulation = *request.equalArea;
  RoseMapFields fields;
  fields.mapKind = request.kind;
  fields.localNormalisation = request.local;
  fields.globalNormalisation = request.global;
  fields.minDensity = request.minDensity.value_or(params.minDensity);
  fields.vectorSize = request.vectorSize.value_or(params.vectorSize);
  fields.roseSize = request.roseSize.value_or(params.roseSize);
  fields.minElongation = request.minElongation.value_or(params.minElongation);
  fields.scalingMode = request.scaling.value_or(params.scalingMode);
  fields.mapFrom = request.from.value_or(params.mapFrom);
  fields.mapTo = request.to.value_or(params.mapTo);
  fields.vectorStep = request.vectorStep.value_or(params.vectorStep);
  fields.roseStep = request.roseStep.value_or(params.roseStep);
  fields.lineStep = request.lineStep.value_or(params.lineStep);
  const auto failure = StoreRoseMapFields(fields, params);
  return failure ? failure->message : std::string();
}

std::string ApplyLineamentRequest(const LineamentRequest& request, CalcParameters& p) {
  LineamentFields fields;
  fields.range = request.range;
  fields.order = request.order;
  fields.rose = request.rose;
  // "Все направления" writes sector 0; a range leaves the sector box as it was.
  fields.sector = request.range ? p.lineamentSector : request.sector.value_or(0);
  fields.sectors = request.sectors.value_or(p.lineamentSectors);
  fields.from = request.from.value_or(p.lineamentFrom);
  fields.to = request.to.value_or(p.lineamentTo);
  fields.threshold = request.threshold.value_or(99);
  fields.beams = request.beams.value_or(p.lineamentBeams);
  fields.sumWindow = request.window.value_or(p.lineamentSumWindow);
  fields.colour = p.lineamentColour;
  const auto failure = StoreLineamentFields(fields, p);
  return failure ? failure->message : std::string();
}

int RenderFormatOfPath(const std::string& path) {
  const std::string extension = ExtensionPart(FileNamePart(path));
  if (EqualsNoCase(extension, ".png")) return kImageFormatPng;
  if (EqualsNoCase(extension, ".tif") || EqualsNoCase(extension, ".tiff")) return kImageFormatTiff;
  if (EqualsNoCase(extension, ".bmp")) return kImageFormatBmp;
  return kNoRenderFormat;
}

int CompressFilterOfPath(const std::string& path) {
  const std::string extension = ExtensionPart(FileNamePart(path));
  static const char* const kExtensions[][2] = {{".tif", ".tiff"}, {".raw", ".raw"}, {".bmp", ".bmp"},
                                               {".gif", ".gif"},  {".pcx", ".pcx"}, {".tga", ".tga"}};
  // The ASCII grid entry writes no file in this command, so it is not offered.
  for (int i = 0; i < 6; ++i)
    if (EqualsNoCase(extension, kExtensions[i][0]) || EqualsNoCase(extension, kExtensions[i][1])) return i;
  return -1;
}

}  // namespace linea

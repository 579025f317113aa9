#include "cli/cli_analyse.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "base/app_host.h"
#include "base/messages.h"
#include "base/profile_text.h"
#include "base/layer_names.h"
#include "base/string_table.h"
#include "project/calc_parameter_rules.h"
#include "project/calculation.h"
#include "project/workspace.h"

namespace linea {

namespace {

constexpr int kReported = 1;

int AnalyseUsage(std::FILE* errors, const std::string& problem) {
  std::fprintf(errors,
               "linea-cli: %s\n"
               "usage: linea-cli new --greyscale|--elevation|--scheme RASTER -o PROJECT.orw\n"
               "       linea-cli analyse PROJECT.orw [--stripes] [--block-roses] [--window-roses] [--lineaments]\n"
               "           [--set KEY=VALUE ...] [-o OTHER.orw]\n",
               problem.c_str());
  return 2;
}

bool WholeInt(const std::string& text, std::int64_t lo, std::int64_t hi, std::int32_t& out) {
  double v = 0;
  if (!ParseWholeDouble(text, v) || v != std::trunc(v) || v < double(lo) || v > double(hi)) return false;
  out = std::int32_t(v);
  return true;
}

bool Flag(const std::string& text, bool& out) {
  if (text == "0" || text == "1") {
    out = text == "1";
    return true;
  }
  return false;
}

}  // namespace

std::string SetCalcParameter(CalcParameters& params, const std::string& key, const std::string& value) {
  CalcParameters p = params;
  const std::string bad = key + " cannot be " + (value.empty() ? "empty" : value);
  constexpr std::int64_t kInt = std::numeric_limits<std::int32_t>::max();
  bool ok = true;
  double number = 0;
  std::int32_t whole = 0;
  if (key == "TR_Linear") ok = WholeInt(value, -kInt, kInt, p.TR_Linear);
  else if (key == "TR_Contrast") ok = WholeInt(value, -kInt, kInt, p.TR_Contrast);
  else if (key == "rose_wind") ok = WholeInt(value, -kInt, kInt, p.rose_wind);
  else if (key == "nb1") ok = WholeInt(value, -kInt, kInt, p.nb1);
  else if (key == "AngW") ok = WholeInt(value, -kInt, kInt, p.AngW);
  else if (key == "Calck" || key == "Calck_DTM") {
    ok = WholeInt(value, 0, 2, whole);
    (key == "Calck" ? p.Calck : p.Calck_DTM) = std::uint8_t(whole);
  } else if (key == "Norm") ok = Flag(value, p.blockRoseGlobalNorm);
  else if (key == "RelRez") ok = Flag(value, p.RelRez);
  else if (key == "LONG") ok = Flag(value, p.LONG);
  else if (key == "UseMask") ok = Flag(value, p.UseMask);
  else if (key == "Size" || key == "Filled_In" || key == "Filled_Out" || key == "dnh" || key == "dfi" ||
           key == "Part" || key == "Rate") {
    ok = ParseWholeDouble(value, number) && std::isfinite(number);
    if (ok) {
      if (key == "Size") p.blockRoseSize = number;
      else if (key == "Filled_In") p.Filled_In = number;
      else if (key == "Filled_Out") p.Filled_Out = number;
      else if (key == "dnh") p.dnh = number;
      else if (key == "dfi") p.dfi = number;
      else if (key == "Part") p.Part = number;
      else p.Rate = number;
    }
  } else {
    return "unknown parameter " + key;
  }
  if (!ok) return bad;
  params = p;
  return {};
}

int RunNewProject(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* errors) {
  int kind = 0;
  std::string raster, output;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    const int given = a == "--greyscale" ? 1 : a == "--scheme" ? 2 : a == "--elevation" ? 3 : 0;
    if (given && i + 1 < arguments.size() && kind == 0) {
      kind = given;
      raster = arguments[++i];
    } else if (a == "-o" && i + 1 < arguments.size()) {
      output = arguments[++i];
    } else {
      return AnalyseUsage(errors, "unexpected argument " + a);
    }
  }
  if (kind == 0 || output.empty()) return AnalyseUsage(errors, "new needs --greyscale|--elevation|--scheme RASTER -o PROJECT.orw");
  CWorkspace workspace(host);
  if (!workspace.LoadBaseImage(raster, kind)) return kReported;
  if (int code = workspace.SaveProject(output)) {
    ShowErrorCode(host, code);
    return kReported;
  }
  return 0;
}

int RunAnalyse(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* errors) {
  std::string project, output;
  AnalysisRequest request;
  std::vector<std::pair<std::string, std::string>> settings;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a == "--stripes") request.stripes = true;
    else if (a == "--block-roses") request.blockRoses = true;
    else if (a == "--window-roses") request.windowRoses = true;
    else if (a == "--lineaments") request.lineaments = true;
    else if (a == "--set" && i + 1 < arguments.size()) {
      const std::string& pair = arguments[++i];
      const std::size_t equals = pair.find('=');
      if (equals == std::string::npos || equals == 0) return AnalyseUsage(errors, "--set needs KEY=VALUE");
      settings.emplace_back(pair.substr(0, equals), pair.substr(equals + 1));
    } else if (a == "-o" && i + 1 < arguments.size()) {
      output = arguments[++i];
    } else if (project.empty() && a.rfind("--", 0) != 0) {
      project = a;
    } else {
      return AnalyseUsage(errors, "unexpected argument " + a);
    }
  }
  if (project.empty()) return AnalyseUsage(errors, "analyse needs a project");
  if (!request.Any()) return AnalyseUsage(errors, "analyse needs --stripes, --block-roses, --window-roses or --lineaments");

  CWorkspace workspace(host);
  CalcParameters edited;
  if (!workspace.LoadProject(project)) return kReported;
  edited = workspace.params;
  for (const auto& [key, value] : settings)
    if (std::string problem = SetCalcParameter(edited, key, value); !problem.empty())
      return AnalyseUsage(errors, problem);
  if (!settings.empty()) {
    // The checks of "Настройки", with their messages.
    const bool maskExists = workspace.layerStack.FindLayer(LoadText(kMaskLayerName)) != nullptr;
    if (auto failure = CheckCalcParameters(edited, workspace.results.imageWidth, workspace.results.imageHeight,
                                           maskExists, host)) {
      if (!failure->message.empty()) ShowError(host, failure->message);
      return kReported;
    }
    if (!workspace.ApplyCalcParameters(edited)) return kReported;
  }
  // The switches depend on each other as on the panel: roses and lineaments need
  // stripes, computed now or stored.
  if (!request.stripes && !workspace.results.hasStripes) {
    ShowErrorCode(host, kErrorNoStripes);
    return kReported;
  }
  if (CalculateResults(workspace, request) != 0) return kReported;
  if (int code = workspace.SaveProject(output.empty() ? project : output)) {
    ShowErrorCode(host, code);
    return kReported;
  }
  return 0;
}

}  // namespace linea

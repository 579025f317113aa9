#pragma once
// linea-cli new and analyse: a raster becomes a project, and the search computes
// its results, exactly as "Расчет" does in the window.

#include <cstdio>
#include <string>
#include <vector>

namespace linea {

class CAppHost;
struct CalcParameters;

// new --greyscale|--elevation|--scheme RASTER -o PROJECT.orw
int RunNewProject(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* errors);
// analyse PROJECT.orw [--stripes] [--block-roses] [--window-roses] [--lineaments]
//         [--set KEY=VALUE ...] [-o OTHER.orw]
int RunAnalyse(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* errors);

// Sets one calculation parameter by its project key (TR_Linear, rose_wind, Rate, ...).
// An empty text on success, else what is wrong; `params` is unchanged then.
std::string SetCalcParameter(CalcParameters& params, const std::string& key, const std::string& value);

}  // namespace linea

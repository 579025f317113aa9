#pragma once
// Operations that combine results which already exist: the window roses of
// several projects, the values of several class maps, and the drawings of the
// stack merged into one.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "results/results.h"

namespace linea {

class CAppHost;
class CLayerStack;

// ---- Rose combination ----

// One project of a combination as the combination reads it.
struct CombinationInput {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint8_t imageType = 0;
  std::int32_t gridWidth = 0;
  std::span<const std::uint16_t> windowRoses;  // eight counts per rose
};

enum CombinationMode : int { kCombineDifference = 0, kCombineUnion = 1 };
// The general failure of an empty combination list.
inline constexpr int kErrorGeneralFailure = int(0x80004005u);

// Replaces the window roses of `results` by the difference of two projects or the
// mean of all of them (with `normalise`, every rose scaled to a total of 400 first;
// a rose without counts stays unscaled) and takes the geometry of the first
// project. 0; 2 when the number of projects does not suit the mode (results
// unchanged); 3 out of memory (the earlier window roses are gone, none present);
// kErrorGeneralFailure for an empty list.
int CombineWindowRoses(CResults& results, int mode, bool normalise, std::span<const CombinationInput> projects);

// ---- Field addition ----

// The palette settings a new map gets (the workspace's defaults).
struct PaletteSettings {
  int steps = 8;
  bool equalPopulation = false;
  std::uint8_t paletteKind = 3;
  double brightness = 1.0;
};

// The no-value marker of the accumulated field.
inline constexpr float kNoFieldValue = -31999.0f;

// Names of the class maps that can take part (none unless the stack holds at least
// two layers), in stack order.
std::vector<std::string> FieldAdditionCandidates(const CLayerStack& stack);

// Adds the values of the class maps `plus` and subtracts those of `minus`, pixel by
// pixel (a pixel empty in any of them stays empty), and adds the class map `name`
// of the result. 0; 1 when both lists are empty; 2 when a name is not a class map
// of the stack; 3 out of memory. Nothing is added on failure.
int AddFields(CLayerStack& stack, std::span<const std::string> plus, std::span<const std::string> minus,
              const std::string& name, const PaletteSettings& palette);

// ---- Merging drawings ----

// Merges every visible drawing (CVectorLayer3) into one, named through the host
// (proposing "Объединение") and appended at the end; the merged drawings are
// deleted. False, with the stack unchanged, when fewer than two drawings are
// visible, the name is cancelled or names another layer that would stay, or the
// new drawing refuses a polyline.
bool MergeVectorLayers(CLayerStack& stack, CAppHost& host);

}  // namespace linea

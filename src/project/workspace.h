#pragma once
// One open project: its layers, results, parameters, raster paths, save settings
// and the projects of a rose combination.

#include <cstdint>
#include <string>
#include <vector>

#include "base/app_host.h"
#include "layers/layer_stack.h"
#include "project/combination.h"
#include "project/palette_rules.h"
#include "project/save_settings.h"
#include "results/bands.h"
#include "results/calc_parameters.h"
#include "results/lineaments.h"
#include "results/results.h"

namespace linea {

// The blocks path of blocks drawn by the user and not yet saved.
inline constexpr const char* kCreatedBlocksPath = "created";

// Enabling of the calculation panel's buttons for a workspace state and the
// check state of its stripes button.
struct CalcPanelEnabling {
  bool stripes = false;
  bool blockRoses = false;
  bool windowRoses = false;
  bool lineaments = false;
  bool globalNormalisation = false;  // the rose panel's "Глобальная"
};
CalcPanelEnabling ComputeCalcPanelEnabling(const CalcPanelState& state, bool stripesButtonOn);

class CWorkspace {
 public:
  // The host must outlive the workspace.
  explicit CWorkspace(CAppHost& host);
  CWorkspace(const CWorkspace&) = delete;
  CWorkspace& operator=(const CWorkspace&) = delete;

  CLayerStack layerStack;
  CResults results;
  std::vector<CombinedProject> combinedProjects;
  CalcParameters params;
  std::string baseImagePath;
  std::string blocksImagePath;  // kCreatedBlocksPath for unsaved drawn blocks
  std::string maskImagePath;
  std::uint8_t imageType = 0;   // 1 greyscale, 2 scheme, 3 elevation model
  bool rosesCombination = false;
  std::int32_t lineWidth = 1;
  std::int32_t defaultLineWidth = 1;
  bool lineWidthScaling = true;  // result lines widen when the view is zoomed out
  std::uint8_t blocksImageType = 0;  // 0 saved blocks, 1 blocks raster, 2 borders
  CSaveSettings saveSettings;

  CAppHost& Host() { return *host_; }

  // The new-project state: no rasters, layers, results; default parameters.
  void ResetWorkspace();
  // A new project from a base raster (kind 1 greyscale, 2 scheme, 3 elevation model).
  bool LoadBaseImage(const std::string& path, int kind);
  bool LoadBlocksImage(const std::string& path, int kind);
  bool LoadMaskImage(const std::string& path);
  // An extra layer for viewing; the name is asked through the host.
  bool LoadViewRaster(const std::string& path, bool transparent);

  // Opens a project file; messages are shown inside. False when it cannot be read,
  // or when the user cancelled the progress of a large project's opening (the project
  // is then the new, empty one). `composeFirstPicture`: the layers are composed
  // before returning, under that progress window (the window's first paint).
  bool LoadProject(const std::string& path, bool composeFirstPicture = false);
  // Writes the result files and then the project file. 0 or an error code.
  int SaveProject(const std::string& path);

  // Applies parameters confirmed in the calculation dialog, clearing the results
  // that depend on what changed. False when the user chose to keep the old ones.
  bool ApplyCalcParameters(const CalcParameters& edited);
  bool SetCombinationMode(bool on);
  bool AddCombinedProject(const std::string& path);
  void RemoveCombinedProject(std::size_t index);
  void ClearCombinedProjects();

  CalcPanelState CalcPanel() const;
  void UpdateCalcPanel();
  // The composition inputs of this project.
  CompositionSettings Composition() const;

  // Result layers of the view's commands. Each is built only when its results are
  // present (otherwise nothing happens and the result is 0); a failure is shown
  // through the host by its code and returned.
  int ShowStripesLayer();     // 32842, layer "Штрихи"
  int ShowGlobalRoseLayer();  // 32841, layer "Глобальная Роза"
  int ShowBlockRosesLayer();  // 32845, layer "Розы По Блокам"
  int ShowHighlightLayer();   // 32844, layer "Подсвеченное", elevation models only
  // The rose-field map of the current map parameters, named "Розы %d" with
  // roseMapCounter, which first grows by one when a new layer is asked for (so
  // that otherwise the previous map is replaced).
  int ShowRoseMap(bool newLayer);
  std::int32_t roseMapCounter = 0;
  // The rose grid's counts as the last rose-field map build left them; the
  // extremum band visits its nodes. 0 x 0 until a map is built in this project.
  RoseGridCounts lastRoseGrid;
  // The name of the last rose-field map asked for: "Розы %d" with roseMapCounter.
  std::string LastRoseMapName() const;

  // The lineament map (or lineament rose) of the lineament parameters, named
  // "Линеаменты %d" with lineamentMapCounter, which grows by one when a new layer is
  // asked for. Writes From, To and the largest value back into params. Nothing
  // without lineaments (0); 15 for a sector outside 0..sectors.
  int ShowLineamentsMap(bool newLayer);
  std::int32_t lineamentMapCounter = 0;
  // Working data of the lineament maps; `changed` is set when the project changes.
  CLineamentSelection lineamentSelection;

  // The derived layers of a class map `sourceName` (the last rose-field map when
  // empty). Each asks for the new layer's name through the host (proposing the
  // source name followed by "_", "#" or "*"; cancel builds nothing and gives 0),
  // builds it and shows a failure by its code: 2 when there is no class map of
  // that name, 3 out of memory.
  int ShowIsolines(const std::string& sourceName = {});
  // The band of the values params.bandFrom .. params.bandTo in `color` (0x00BBGGRR).
  // The values are checked like the colour band dialog's; a refusal shows its
  // message and gives 1.
  int ShowColorBand(const std::string& sourceName = {}, std::uint32_t color = 0x000000FF);
  // The extremum band of params.bandFrom .. params.bandTo: maxima or minima, a
  // window of `width` pixels and the threshold factor `range`, checked like the
  // dialog's (a refusal shows its message and gives 1).
  int ShowExtremumBand(bool maxima, int width, double range, const std::string& sourceName = {},
                       std::uint32_t color = 0x000000FF);
  // The band or extremum layer of confirmed colour band dialog values (From and To
  // as map values) over the class map `sourceName`.
  int ShowBandLayer(const std::string& sourceName, const ColorBandDialogValues& values);

  // "Расчет" of the combination panel: the union (mean) of at least two projects or
  // the difference of exactly two, optionally normalised, replaces the window roses
  // and the geometry. A wrong count shows 32813 / 32814 and gives 2 with nothing
  // changed; other failures are shown by their code.
  int CombineRoses(bool unionMode, bool normalise);
  // Field addition: the class maps `plus` added and `minus` subtracted into a new
  // map named through the host (proposing "Add") with the default palette settings.
  // Silent as the dialog is: 0 also on cancel; 1 nothing chosen, 2 a name that is
  // not a class map, 3 out of memory.
  int AddFieldLayers(const std::vector<std::string>& plus, const std::vector<std::string>& minus);
  // "Объединить" of the layers bar: every visible drawing merged into one.
  bool MergeDrawings();

 private:
  void SetBaseGeometry(std::uint32_t width, std::uint32_t height, std::uint16_t bytes, std::uint8_t type);
  CAppHost* host_;
};

// Path-valued project keys keep blanks and percent signs through the one-word
// value syntax: '%' is written as "%25" and ' ' as "%20".
std::string EncodeProjectPath(const std::string& path);
std::string DecodeProjectPath(const std::string& stored);
// Where a stored raster path of a project in `projectFolder` is looked for.
std::string ResolveProjectPath(const std::string& stored, const std::string& projectFolder);

}  // namespace linea

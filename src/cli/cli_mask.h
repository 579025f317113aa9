#pragma once
// "linea-cli mask": the mask editor without a window. The operations of the
// command line run in the order given on the project's mask (an empty one is made
// when the project has none) through the same model as the mask dialogs, and the
// mask is written as a raster; with --save-project the project records it.

#include <cstdio>
#include <string>
#include <vector>

#include "project/mask_editing.h"

namespace linea {

class CAppHost;

enum class MaskOperationKind { Select, Add, Remove, Undo, Mark, DeleteMarked, DeleteUnmarked, Polygon, Invert };

struct MaskOperation {
  MaskOperationKind kind = MaskOperationKind::Select;
  SelectionRange range;              // Select
  int x = 0, y = 0;                  // Mark
  std::vector<MaskVertex> vertices;  // Polygon
  PolygonMode mode = PolygonMode::kMask;
  std::string text;  // the option as given, for messages
};

struct MaskRequest {
  std::string project;
  std::string output;
  bool saveProject = false;
  std::vector<MaskOperation> operations;
};

// Parses the arguments after "mask". Empty text on success, else what is wrong.
std::string ParseMaskArguments(const std::vector<std::string>& arguments, MaskRequest& request);
// The vertices of "X1,Y1 X2,Y2 ..." (whole numbers); false when the text is not that.
bool ParsePolygonText(const std::string& text, std::vector<MaskVertex>& vertices);

// The usage line of the command and the list of its operations.
extern const char* const kMaskUsageLine;
extern const char* const kMaskOperationsUsage;

// Runs "mask" with the arguments after it: 0, 1 after a reported failure, 2 for a
// command line that cannot be understood (nothing is read or written then).
int RunMaskCommand(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* errors);

}  // namespace linea

#pragma once
// Internal to src/geo: GDAL writes into a private in-memory folder; only when the
// whole output (a raster and its side files, or a shapefile's parts) is complete
// are the files written beside the target, each atomically.

#include <string>
#include <utility>
#include <vector>

namespace linea::geo_detail {

class CVsiMemOutput {
 public:
  // `fileName`: the target's file name, which GDAL writes under the in-memory folder.
  explicit CVsiMemOutput(const std::string& fileName);
  ~CVsiMemOutput();  // the in-memory folder is removed
  CVsiMemOutput(const CVsiMemOutput&) = delete;
  CVsiMemOutput& operator=(const CVsiMemOutput&) = delete;

  const std::string& MainPath() const { return main_; }
  // Every file GDAL wrote goes to the target's folder under its own name, then
  // `extra` (path, text). 0, 4 or 6 as the atomic file set reports; 6 when GDAL
  // wrote nothing.
  int CommitTo(const std::string& targetPath, const std::vector<std::pair<std::string, std::string>>& extra) const;

 private:
  std::string folder_;
  std::string main_;
};

}  // namespace linea::geo_detail

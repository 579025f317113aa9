#include "geo/vsimem_output.h"

#include <cpl_string.h>
#include <cpl_vsi.h>

#include "base/atomic_file.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/string_table.h"

namespace linea::geo_detail {

CVsiMemOutput::CVsiMemOutput(const std::string& fileName) {
  // The object's address keeps two outputs of one process apart.
  folder_ = FormatText("/vsimem/linea_%p", static_cast<const void*>(this));
  VSIMkdir(folder_.c_str(), 0755);
  main_ = folder_ + "/" + (fileName.empty() ? std::string("out") : fileName);
}

CVsiMemOutput::~CVsiMemOutput() { VSIRmdirRecursive(folder_.c_str()); }

int CVsiMemOutput::CommitTo(const std::string& targetPath,
                            const std::vector<std::pair<std::string, std::string>>& extra) const {
  const std::string targetFolder = FolderPart(targetPath);
  const std::string mainName = FileNamePart(main_);
  const std::string targetMain = FileNamePart(targetPath);
  CAtomicFileSet files;
  char** names = VSIReadDir(folder_.c_str());
  int written = 0;
  int code = 0;
  for (int i = 0; names && names[i] && code == 0; ++i) {
    const std::string name = names[i];
    if (name == "." || name == "..") continue;
    const std::string memoryPath = folder_ + "/" + name;
    vsi_l_offset length = 0;
    GByte* data = VSIGetMemFileBuffer(memoryPath.c_str(), &length, FALSE);
    if (!data) continue;
    // The main file takes the target's exact name; side files keep GDAL's.
    const std::string targetName = name == mainName ? targetMain : name;
    code = files.Write(ToNativePath(targetFolder + targetName), data, std::size_t(length));
    ++written;
  }
  CSLDestroy(names);
  if (code != 0) return code;
  if (written == 0) return kErrorCannotWrite;
  for (const auto& [path, text] : extra)
    if (int extraCode = files.Write(ToNativePath(path), text)) return extraCode;
  return files.Commit();
}

}  // namespace linea::geo_detail

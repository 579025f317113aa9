#include "robustness/bad_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "support/test_files.h"

namespace linea {
namespace {

// The identity root takes while permissions are to hold: "nobody" on Debian.
constexpr uid_t kUnprivilegedUser = 65534;
constexpr gid_t kUnprivilegedGroup = 65534;

}  // namespace

const char* BadFileName(BadFile kind) {
  switch (kind) {
    case BadFile::Empty: return "Empty";
    case BadFile::Truncated: return "Truncated";
    case BadFile::OversizedHeader: return "OversizedHeader";
    case BadFile::Directory: return "Directory";
    case BadFile::Unreadable: return "Unreadable";
    case BadFile::Missing: return "Missing";
  }
  return "?";
}

void MakeBadFile(BadFile kind, const std::string& path, const std::vector<std::uint8_t>& valid,
                 const std::vector<std::uint8_t>& oversized) {
  std::remove(path.c_str());
  switch (kind) {
    case BadFile::Empty: WriteBytes(path, {}); break;
    case BadFile::Truncated: WriteBytes(path, {valid.begin(), valid.begin() + std::ptrdiff_t(valid.size() / 2)}); break;
    case BadFile::OversizedHeader: WriteBytes(path, oversized); break;
    case BadFile::Directory: ::mkdir(path.c_str(), 0755); break;
    case BadFile::Unreadable:
      WriteBytes(path, valid);
      ::chmod(path.c_str(), 0);
      break;
    case BadFile::Missing: break;
  }
}

CPermissionsEnforced::CPermissionsEnforced(const std::string& folder, unsigned folderMode) : folder_(folder) {
  // A probe, made while the folder is still open for writing: a file of ours
  // without read permission must not open.
  const std::string probe = folder + ".permission-probe";
  ::chmod(folder.c_str(), 0755);
  WriteBytes(probe, {1});
  ::chmod(probe.c_str(), 0);
  ::chmod(folder.c_str(), mode_t(folderMode));
  if (::geteuid() == 0) {
    droppedRoot_ = ::setegid(kUnprivilegedGroup) == 0 && ::seteuid(kUnprivilegedUser) == 0;
    if (!droppedRoot_) ::setegid(0);
  }
  std::FILE* file = std::fopen(probe.c_str(), "rb");
  enforced_ = file == nullptr;
  if (file) std::fclose(file);
  probe_ = probe;
}

CPermissionsEnforced::~CPermissionsEnforced() {
  if (droppedRoot_) {
    ::seteuid(0);
    ::setegid(0);
  }
  ::chmod(folder_.c_str(), 0755);
  std::remove(probe_.c_str());
}

}  // namespace linea

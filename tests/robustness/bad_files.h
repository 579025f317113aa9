#pragma once
// The kinds of bad input every file reader is tried with, and a scope in which
// file permissions hold even for root.

#include <cstdint>
#include <string>
#include <vector>

namespace linea {

enum class BadFile { Empty, Truncated, OversizedHeader, Directory, Unreadable, Missing };

inline constexpr BadFile kAllBadFiles[] = {BadFile::Empty,     BadFile::Truncated,  BadFile::OversizedHeader,
                                           BadFile::Directory, BadFile::Unreadable, BadFile::Missing};

const char* BadFileName(BadFile kind);

// Puts the bad variant of a file at `path`: no bytes, the first half of `valid`,
// `oversized` (a header announcing far more than the file holds), a folder, `valid`
// without read permission, or nothing.
void MakeBadFile(BadFile kind, const std::string& path, const std::vector<std::uint8_t>& valid,
                 const std::vector<std::uint8_t>& oversized);

// Root reads and writes whatever the permission bits say. For its lifetime this
// scope takes the identity of an ordinary user ("nobody") when the process runs as
// root, so that the bits stop it as they stop a user; `folder` (a test folder)
// is opened for that user to look into. Enforced() tells whether a file
// without read permission really cannot be read now; tests skip when not.
class CPermissionsEnforced {
 public:
  // `folderMode` is given to the folder first (0555 makes it read-only).
  explicit CPermissionsEnforced(const std::string& folder, unsigned folderMode = 0755);
  ~CPermissionsEnforced();
  CPermissionsEnforced(const CPermissionsEnforced&) = delete;
  CPermissionsEnforced& operator=(const CPermissionsEnforced&) = delete;
  bool Enforced() const { return enforced_; }

 private:
  std::string folder_;
  std::string probe_;
  bool droppedRoot_ = false;
  bool enforced_ = false;
};

// The reason given when a permission test cannot run.
inline constexpr const char* kPermissionsNotEnforced =
    "file permissions are not enforced for this process (root without the right to change its identity)";

}  // namespace linea

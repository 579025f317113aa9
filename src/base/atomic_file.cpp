#include "base/atomic_file.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/paths.h"

namespace linea {

CAtomicFile::~CAtomicFile() { Discard(); }

bool CAtomicFile::Open(const std::string& targetPath) {
  Discard();
  target_ = ToNativePath(targetPath);
  std::string pattern = FolderPart(target_) + "." + FileNamePart(target_) + ".XXXXXX";
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) return false;
  // mkstemp creates 0600; give the file the usual permissions of a new file.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  file_ = ::fdopen(fd, "wb");
  if (!file_) {
    ::close(fd);
    ::unlink(pattern.c_str());
    return false;
  }
  temporary_ = pattern;
  failed_ = false;
  return true;
}

bool CAtomicFile::Write(const void* data, std::size_t size) {
  if (!file_ || failed_) return false;
  if (size && std::fwrite(data, 1, size, file_) != size) failed_ = true;
  return !failed_;
}

bool CAtomicFile::Commit() {
  if (!file_) return false;
  bool ok = !failed_ && std::fflush(file_) == 0 && ::fsync(fileno(file_)) == 0;
  ok = (std::fclose(file_) == 0) && ok;
  file_ = nullptr;
  if (ok) ok = std::rename(temporary_.c_str(), target_.c_str()) == 0;
  if (!ok) ::unlink(temporary_.c_str());
  temporary_.clear();
  return ok;
}

void CAtomicFile::Discard() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
}

int WriteFileAtomically(const std::string& path, const void* data, std::size_t size) {
  CAtomicFile file;
  if (!file.Open(path)) return 4;
  if (!file.Write(data, size) || !file.Commit()) return 6;
  return 0;
}

}  // namespace linea

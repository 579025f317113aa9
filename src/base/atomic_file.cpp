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

bool CAtomicFile::Commit() { return Finish() && Rename(); }

bool CAtomicFile::Finish() {
  if (!file_) return false;
  bool ok = !failed_ && std::fflush(file_) == 0 && ::fsync(fileno(file_)) == 0;
  ok = (std::fclose(file_) == 0) && ok;
  file_ = nullptr;
  if (!ok) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
  return ok;
}

bool CAtomicFile::Rename() {
  if (file_ || temporary_.empty()) return false;
  bool ok = std::rename(temporary_.c_str(), target_.c_str()) == 0;
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

int CAtomicFileSet::Write(const std::string& path, const void* data, std::size_t size) {
  auto file = std::make_unique<CAtomicFile>();
  if (!file->Open(path)) return 4;
  // Completed now, so that a full disk shows here and not only when renaming.
  if (!file->Write(data, size) || !file->Finish()) return 6;
  files_.push_back(std::move(file));
  return 0;
}

int CAtomicFileSet::Commit() {
  // A folder in a target's place would stop its rename half-way through the set.
  for (const auto& file : files_) {
    struct stat info {};
    if (::stat(file->Target().c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      files_.clear();
      return 6;
    }
  }
  int code = 0;
  for (auto& file : files_)
    if (!file->Rename()) code = 6;
  files_.clear();
  return code;
}

int WriteFileAtomically(const std::string& path, const void* data, std::size_t size) {
  CAtomicFile file;
  if (!file.Open(path)) return 4;
  if (!file.Write(data, size) || !file.Commit()) return 6;
  return 0;
}

int WriteFailureCode(const std::string& path) {
  CAtomicFile probe;
  if (!probe.Open(path)) return 4;
  probe.Discard();
  return 6;
}

}  // namespace linea

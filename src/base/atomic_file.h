#pragma once
// Files are written to a temporary file in the target's folder and renamed over
// the target only when complete: a failed save leaves the previous file intact.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace linea {

class CAtomicFile {
 public:
  CAtomicFile() = default;
  ~CAtomicFile();  // an uncommitted file is removed
  CAtomicFile(const CAtomicFile&) = delete;
  CAtomicFile& operator=(const CAtomicFile&) = delete;

  // False when the temporary file cannot be created (error code 4 for callers).
  bool Open(const std::string& targetPath);
  std::FILE* Stream() { return file_; }
  // False once any write has failed.
  bool Write(const void* data, std::size_t size);
  bool Write(std::string_view text) { return Write(text.data(), text.size()); }
  bool Failed() const { return failed_; }
  // Flushes, closes and renames over the target. False (target untouched) on any failure.
  bool Commit();
  // The two halves of Commit, for files that must all be complete before any of
  // them replaces its target: Finish flushes and closes (false, and the temporary
  // file removed, when the data did not all reach the disk); Rename then replaces
  // the target.
  bool Finish();
  bool Rename();
  const std::string& Target() const { return target_; }
  // Drops the temporary file.
  void Discard();

 private:
  std::FILE* file_ = nullptr;
  std::string target_;
  std::string temporary_;
  bool failed_ = false;
};

// Files saved together, as a project and its result files: each is written to its
// temporary file, and only when every one is complete are they renamed over their
// targets (in the order written), so a save that fails part-way leaves all the
// previous files as they were. Files not committed are removed with the set.
class CAtomicFileSet {
 public:
  // 0, 4 when the file cannot be created, 6 when it cannot be written completely;
  // a file that failed is dropped from the set.
  int Write(const std::string& path, const void* data, std::size_t size);
  int Write(const std::string& path, std::string_view text) { return Write(path, text.data(), text.size()); }
  // 0, or 6 when a file cannot be completed or renamed.
  int Commit();

 private:
  std::vector<std::unique_ptr<CAtomicFile>> files_;
};

// One-shot helpers: 0 on success, 4 when the file cannot be created, 6 when it
// cannot be written completely.
int WriteFileAtomically(const std::string& path, const void* data, std::size_t size);
inline int WriteFileAtomically(const std::string& path, std::string_view text) {
  return WriteFileAtomically(path, text.data(), text.size());
}

// Why a save to `path` failed, as an error code for the user: 4 when no file can
// be created there (a missing or read-only folder), else 6 (the file could be
// created but not written completely). Creates and removes a temporary file.
int WriteFailureCode(const std::string& path);

}  // namespace linea

#pragma once
// Files are written to a temporary file in the target's folder and renamed over
// the target only when complete: a failed save leaves the previous file intact.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

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
  // Drops the temporary file.
  void Discard();

 private:
  std::FILE* file_ = nullptr;
  std::string target_;
  std::string temporary_;
  bool failed_ = false;
};

// One-shot helpers: 0 on success, 4 when the file cannot be created, 6 when it
// cannot be written completely.
int WriteFileAtomically(const std::string& path, const void* data, std::size_t size);
inline int WriteFileAtomically(const std::string& path, std::string_view text) {
  return WriteFileAtomically(path, text.data(), text.size());
}

}  // namespace linea

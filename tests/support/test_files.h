#pragma once
// A fresh temporary folder per test, removed afterwards, and small file helpers.

#include <cstdint>
#include <string>
#include <vector>

namespace linea {

class CTempFolder {
 public:
  CTempFolder();
  ~CTempFolder();
  CTempFolder(const CTempFolder&) = delete;
  CTempFolder& operator=(const CTempFolder&) = delete;
  // The folder, ending in '/'.
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteTextFile(const std::string& path, const std::string& text);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
std::string ReadTextFile(const std::string& path);
bool FileExists(const std::string& path);
// Names of the entries of a folder, sorted.
std::vector<std::string> ListFolder(const std::string& path);

}  // namespace linea

#pragma once
// Internal to src/geo: GDAL's drivers registered once, and GDAL's messages kept
// for the caller instead of going to the terminal.

#include <string>

namespace linea::geo_detail {

void EnsureGdalDrivers();

// While alive, GDAL's errors and warnings on this thread are collected here and
// nothing is printed.
class CGdalErrorCapture {
 public:
  CGdalErrorCapture();
  ~CGdalErrorCapture();
  CGdalErrorCapture(const CGdalErrorCapture&) = delete;
  CGdalErrorCapture& operator=(const CGdalErrorCapture&) = delete;
  // The last error GDAL reported, or `fallback` when it said nothing.
  std::string Reason(const std::string& fallback) const;
  void Record(const char* message) { last_ = message ? message : ""; }

 private:
  std::string last_;
};

}  // namespace linea::geo_detail

#pragma once
// The host's progress window around one long build: opened with the title, fed
// with the builder's fractions (each report lets the window repaint and take a
// Cancel click) and closed on every way out, before any message is shown.

#include <string>

#include "base/app_host.h"
#include "results/build_progress.h"

namespace linea {

class CHostProgress {
 public:
  static constexpr int kRange = 1000;

  CHostProgress(CAppHost& host, const std::string& title) : host_(host) {
    host_.BeginProgress(title, kRange);
    open_ = true;
    report_ = [this](double fraction) { return host_.SetProgress(int(fraction * kRange)); };
  }
  ~CHostProgress() { End(); }
  CHostProgress(const CHostProgress&) = delete;
  CHostProgress& operator=(const CHostProgress&) = delete;

  const BuildProgress& Report() const { return report_; }
  // Closes the window; later reports are ignored by the host.
  void End() {
    if (open_) host_.EndProgress();
    open_ = false;
  }

 private:
  CAppHost& host_;
  bool open_ = false;
  BuildProgress report_;
};

}  // namespace linea

#pragma once
// Pieces shared by the benchmarks.

#include <benchmark/benchmark.h>

#include <optional>
#include <string>

#include "base/app_host.h"

namespace linea::bench {

// A host that shows nothing and gives one answer to every yes/no question.
class CQuietHost : public CAppHost {
 public:
  explicit CQuietHost(bool answerYes = false) : answerYes_(answerYes) {}
  void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
  bool AskYesNo(const std::string&, const std::string&, MessageIcon) override { return answerYes_; }
  std::optional<std::string> AskLayerName(const std::string&) override { return std::nullopt; }
  ImageSizeAnswer AskImageSize(const ImageSizeAnswer& proposal) override { return proposal; }

 private:
  bool answerYes_;
};

// The benchmark main; `beforeRun` fixes the reference library's threading first.
template <class BeforeRun>
int RunBenchmarks(int argc, char** argv, BeforeRun beforeRun) {
  beforeRun();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace linea::bench

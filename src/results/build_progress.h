#pragma once
// Progress of a layer build that runs on the user's thread: the builder reports the
// fraction done, the caller shows it (and lets the window repaint) and may stop the
// build, which then returns 11 and leaves the stack as it was.

#include <cstdint>
#include <functional>

namespace linea {

// Called with the fraction done, 0..1; false stops the build. Empty: never stops.
using BuildProgress = std::function<bool(double fraction)>;

// One stage of a build, covering [from, to] of the whole. Reports at most once per
// thousandth of the whole, so that per-row calls in the hot loops stay cheap.
class CBuildStage {
 public:
  CBuildStage(const BuildProgress& progress, double from, double to) : progress_(progress), from_(from), to_(to) {}
  // `done` of `total` units of this stage; false once the caller asked to stop.
  bool Report(std::uint64_t done, std::uint64_t total) {
    if (!progress_) return true;
    const double within = total == 0 ? 1.0 : double(done > total ? total : done) / double(total);
    const double fraction = from_ + (to_ - from_) * within;
    const auto thousandth = std::int64_t(fraction * 1000.0);
    if (thousandth == last_) return true;
    last_ = thousandth;
    return progress_(fraction);
  }

 private:
  const BuildProgress& progress_;
  double from_, to_;
  std::int64_t last_ = -1;
};

}  // namespace linea

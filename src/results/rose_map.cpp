#include "results/rose_map.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "base/checked_alloc.h"
#include "base/field_kinds.h"
#include "base/paths.h"
#include "base/string_table.h"
#include "layers/layer_stack.h"
#include "layers/raster_layer.h"
#include "layers/vector_layer3.h"
#include "results/build_progress.h"
#include "results/rose_layers.h"
#include "results/rose_map_palette.h"
#include "results/rose_measures.h"
#include "results/rose_vectors.h"
#include "results/source_summary.h"

namespace linea {
namespace {

constexpr int kStopped = 11;
// The share of the progress taken by measuring the roses; resampling them to the
// pixels takes the rest.
constexpr double kMeasuredShare = 0.3;

// The measured field: one value per rose (0 = no value) and the histogram of the
// values, which lives for one build.
struct RoseField {
  std::vector<std::int32_t> values;
  std::vector<double> histogram;  // kRoseValueLimit entries
  std::int32_t smallest = 0;
  std::int32_t largest = 0;
  std::uint64_t valued = 0;
};

int MeasureField(const RoseMeasureContext& ctx, RoseField& field, CBuildStage& stage) {
  const std::size_t roses = ctx.RoseCount();
  if (!TryResize(field.values, roses) || !TryResize(field.histogram, std::uint64_t(kRoseValueLimit))) return 3;
  std::int32_t smallest = kRoseValueLimit, largest = 0;
  std::uint64_t valued = 0;
  for (std::size_t rose = 0; rose < roses; ++rose) {
    if (rose % 1024 == 0 && !stage.Report(rose, roses)) return kStopped;
    int v = MeasureRose(ctx, 8 * rose);
    if (v == -1) continue;  // stays 0
    if (v < -1) return 17;
    v = std::clamp(v, 1, kRoseValueLimit - 1);
    field.values[rose] = v;
    field.histogram[std::size_t(v)] += 1.0;
    smallest = std::min(smallest, v);
    largest = std::max(largest, v);
    ++valued;
  }
  field.valued = valued;
  field.smallest = valued ? smallest : 0;
  field.largest = valued ? largest : 0;
  return 0;
}

// The top of the range: above it lie about 0.1 % of the roses, or 0.3 % when the
// 0.1 % are spread over a long tail. The bottom leaves out about 0.9 %.
void PercentRange(const RoseField& field, std::int64_t& lo, std::int64_t& hi) {
  const std::vector<double>& h = field.histogram;
  const double n = double(field.valued);
  const double t1 = 0.001 * n + 0.5, t3 = 0.003 * n + 0.5, t9 = 0.009 * n + 0.5;
  std::int64_t i1 = 0, i3 = 0;
  bool found1 = false;
  double sum = 0.0;
  for (std::int64_t v = kRoseValueLimit - 1; v >= 0; --v) {
    sum += h[std::size_t(v)];
    if (!found1 && sum > t1) {
      i1 = v;
      found1 = true;
    }
    if (found1 && sum > t3) {
      i3 = v;
      break;
    }
  }
  hi = i1 - i3 >= 3 ? i3 + 1 : i1 + 1;
  sum = h[0] + h[1];
  std::int64_t c = 1;
  while (!(sum > t9) && c < kRoseValueLimit - 1) sum += h[std::size_t(++c)];
  lo = std::max<std::int64_t>(1, c - 1);
}

RoseClassScale ClassScaleOf(std::int64_t lo, std::int64_t hi, bool mainDirection) {
  if (mainDirection) return {1, 8, 8, 1.0};
  // A range typed upside down maps everything onto one class rather than none.
  if (hi < lo) hi = lo;
  const std::int64_t range = hi - lo;
  if (range <= 254) return {lo, hi, int(range + 1), 1.0};
  return {lo, hi, 255, 254.0 / double(range)};
}

// Per pixel of a run between two samples: the fraction of the way, i / p.
std::vector<double> Fractions(std::int64_t spacing) {
  std::vector<double> t(static_cast<std::size_t>(spacing));
  for (std::int64_t i = 0; i < spacing; ++i) t[std::size_t(i)] = double(i) / double(spacing);
  return t;
}

// Values between two samples a (at t = 0) and b: empty when either is; linear with
// rounding, or for directions the nearer sample, the lower / right one from half
// way on.
template <bool kNearest>
inline std::int32_t Between(std::int32_t a, std::int32_t b, double t, bool takeSecond) {
  std::int32_t value;
  if constexpr (kNearest) {
    value = takeSecond ? b : a;
  } else {
    value = a + std::int32_t(double(b - a) * t + 0.5);
  }
  return (a == 0 || b == 0) ? 0 : value;
}

template <bool kNearest>
void ExpandRoseRow(const std::int32_t* roses, int nx, std::int64_t spacing, const std::vector<double>& t,
                   std::vector<std::int32_t>& row) {
  const std::int64_t length = std::int64_t(row.size());
  const double half = double(spacing) / 2.0;
  for (std::int64_t c = 0; c < nx; ++c) {
    const std::int64_t x0 = c * spacing;
    if (x0 >= length) break;
    row[std::size_t(x0)] = roses[c];
    if (c + 1 == nx) break;
    const std::int32_t left = roses[c], right = roses[c + 1];
    const std::int64_t end = std::min(length, x0 + spacing);
    for (std::int64_t x = x0 + 1; x < end; ++x) {
      const std::int64_t i = x - x0;
      row[std::size_t(x)] = Between<kNearest>(left, right, t[std::size_t(i)], double(spacing - i) < half);
    }
  }
}

static_assert(std::endian::native == std::endian::little, "eight classes are stored as one word, first pixel lowest");

// row[x] = classOf[values[x]], eight pixels to a store.
inline void ClassifyRow(const std::vector<std::int32_t>& values, const std::uint8_t* classOf, std::uint8_t* row) {
  const std::size_t length = values.size();
  const std::int32_t* v = values.data();
  std::size_t x = 0;
  for (; x + 8 <= length; x += 8) {
    std::uint64_t eight = 0;
    for (int i = 7; i >= 0; --i) eight = (eight << 8) | classOf[v[x + std::size_t(i)]];
    std::memcpy(row + x, &eight, 8);
  }
  for (; x < length; ++x) row[x] = classOf[v[x]];
}

// The pixel rows between two expanded rose rows `a` (above) and `b`, classed into
// `rows` rows of the image from `firstRow` on.
class RowsBetween {
 public:
  RowsBetween(std::int64_t length, std::int64_t spacing)
      : spacing_(spacing), base_(std::size_t(length)), step_(std::size_t(length)), sum_(std::size_t(length)),
        values_(std::size_t(length)) {
    // With a power-of-two spacing (8 pixels at rate 1) every fraction j / p and every
    // product is exact in double, so a + trunc((b - a) j / p + 0.5) is exactly
    // a + trunc((2 j (b - a) + p) / 2p) in integers, which needs no conversion per pixel.
    // The sums stay far inside 32 bits up to p = 1024 (values are below 800000).
    exactInIntegers_ = spacing <= 1024 && (spacing & (spacing - 1)) == 0;
    while ((std::int64_t(1) << shift_) < 2 * spacing) ++shift_;
  }

  template <bool kNearest>
  void Fill(const std::vector<std::int32_t>& a, const std::vector<std::int32_t>& b, const std::vector<double>& t,
            const std::uint8_t* classOf, CImage& image, std::int64_t firstRow, std::int64_t rows) {
    const std::size_t length = base_.size();
    if (!kNearest && exactInIntegers_) {
      // An empty end empties the pixel: base and step 0 give trunc(p / 2p) = 0.
      for (std::size_t x = 0; x < length; ++x) {
        const bool valued = a[x] != 0 && b[x] != 0;
        base_[x] = valued ? a[x] : 0;
        step_[x] = valued ? 2 * (b[x] - a[x]) : 0;
        sum_[x] = std::int32_t(spacing_);
      }
      const std::int32_t roundUp = (std::int32_t(1) << shift_) - 1;
      for (std::int64_t j = 1; j <= rows; ++j) {
        std::int32_t* v = values_.data();
        for (std::size_t x = 0; x < length; ++x) {
          const std::int32_t n = sum_[x] += step_[x];
          v[x] = base_[x] + ((n + ((n >> 31) & roundUp)) >> shift_);  // toward zero
        }
        Classify(classOf, image.Row(int(firstRow + j - 1)));
      }
      return;
    }
    for (std::int64_t j = 1; j <= rows; ++j) {
      const double f = t[std::size_t(j)];
      const bool takeLower = f >= 0.5;
      std::int32_t* v = values_.data();
      for (std::size_t x = 0; x < length; ++x) v[x] = Between<kNearest>(a[x], b[x], f, takeLower);
      Classify(classOf, image.Row(int(firstRow + j - 1)));
    }
  }

 private:
  void Classify(const std::uint8_t* classOf, std::uint8_t* row) const { ClassifyRow(values_, classOf, row); }

  std::int64_t spacing_;
  int shift_ = 0;
  bool exactInIntegers_ = false;
  std::vector<std::int32_t> base_, step_, sum_, values_;
};

// Writes the classes of the interpolated field into every image row. Rose (c, r)
// sits on pixel (c p, r p); pixels right of the last rose column and below the last
// rose row are empty.
// False when the stage was told to stop (the image is then partly written).
template <bool kNearest>
bool ResampleField(const RoseField& field, int nx, int ny, std::int64_t spacing, const std::vector<std::uint8_t>& lut,
                   CImage& image, CBuildStage& stage) {
  const std::int64_t width = image.GetWidth(), height = image.GetHeight();
  const std::int64_t length = std::min<std::int64_t>(width, std::int64_t(nx - 1) * spacing + 1);
  const std::vector<double> t = Fractions(spacing);
  std::vector<std::int32_t> upper(static_cast<std::size_t>(length)), lower(static_cast<std::size_t>(length));
  RowsBetween between(length, spacing);
  const std::uint8_t* classOf = lut.data();
  ExpandRoseRow<kNearest>(field.values.data(), nx, spacing, t, upper);
  for (std::int64_t r = 0; r < ny; ++r) {
    const std::int64_t y0 = r * spacing;
    if (y0 >= height) break;
    if (!stage.Report(std::uint64_t(y0), std::uint64_t(height))) return false;
    ClassifyRow(upper, classOf, image.Row(int(y0)));
    if (r + 1 == ny) break;
    ExpandRoseRow<kNearest>(field.values.data() + (r + 1) * nx, nx, spacing, t, lower);
    const std::int64_t rows = std::min(height, y0 + spacing) - y0 - 1;
    between.Fill<kNearest>(upper, lower, t, classOf, image, y0 + 1, rows);
    upper.swap(lower);
  }
  const std::int64_t filledRows = std::min(height, std::int64_t(ny - 1) * spacing + 1);
  for (std::int64_t y = 0; y < height; ++y) {
    if (y < filledRows)
      std::memset(image.Row(int(y)) + length, 0, std::size_t(width - length));
    else
      std::memset(image.Row(int(y)), 0, std::size_t(width));
  }
  return stage.Report(1, 1);
}

int BuildVectorMap(const CResults& results, CLayerStack& stack, std::string name, const CalcParameters& params,
                   bool combinedRoses, int lineWidth, const BuildProgress& progress) {
  std::unique_ptr<CVectorLayer3> layer(new (std::nothrow) CVectorLayer3(name, true));
  if (!layer) return 3;
  RoseVectorSettings settings;
  settings.kind = params.mapKind;
  settings.roseWindow = params.rose_wind;
  settings.vectorStep = params.vectorStep;
  settings.roseStep = params.roseStep;
  settings.lineStep = params.lineStep;
  settings.roseSize = params.roseSize;
  settings.vectorSize = params.vectorSize;
  settings.localNormalisation = params.localNormalisation;
  settings.globalNormalisation = params.globalNormalisation;
  settings.minElongation = params.minElongation;
  settings.minDensity = params.minDensity;
  settings.color = params.roseMapColourSet ? params.roseMapColour : params.mapKind == 'x' ? kFlowLineBlue : kRoseRed;
  settings.lineWidth = lineWidth;
  const int code = DrawRoseVectors(results, *layer, settings, progress);
  // An empty grid and a stop keep their own codes; every other failure is one of memory.
  if (code != 0) return code == 12 || code == kStopped ? code : 3;
  layer->SetDescription(RoseMapDescription(results, params, combinedRoses));
  stack.AddLayer(std::move(layer));
  return 0;
}

int KindCodeCharacter(int kind) { return (kind >= 1 && kind <= 8) ? '0' + kind : kind; }

}  // namespace

bool IsRoseVectorKind(int kind) {
  return kind == 'z' || kind == 'v' || kind == 'u' || kind == 'q' || kind == 'x' || kind == 'y';
}

int RoseValueClass(std::int64_t value, const RoseClassScale& scale) {
  if (value == 0) return 0;
  if (value >= scale.hi) return scale.classes;
  if (value <= scale.lo) return 1;
  return TruncToInt(double(value - scale.lo) * scale.scale + 1.0);
}

int BuildRoseMapLayer(const CResults& results, CLayerStack& stack, std::string name, CalcParameters& paramsOut,
                      bool combinedRoses, int lineWidth, const BuildProgress& progress) {
  if (IsRoseVectorKind(paramsOut.mapKind))
    return BuildVectorMap(results, stack, std::move(name), paramsOut, combinedRoses, lineWidth, progress);
  // The values written back reach the caller's parameters only with the map: a
  // stopped build leaves them as they were.
  CalcParameters params = paramsOut;

  RoseMeasureContext ctx;
  const int code = PrepareRoseMeasures(ctx, results, params.rose_wind, params.mapKind, params.localNormalisation,
                                       params.globalNormalisation, params.minDensity, RoseRadii::Field);
  if (code != 0) return code;
  const std::uint32_t width = results.imageWidth, height = results.imageHeight;
  if (width > std::uint32_t(kMaxImageSide) || height > std::uint32_t(kMaxImageSide) || width == 0 || height == 0)
    return 3;

  RoseField field;
  CBuildStage measuring(progress, 0.0, kMeasuredShare);
  if (const int measured = MeasureField(ctx, field, measuring); measured != 0) return measured;
  params.mapMin = field.smallest;
  params.mapMax = field.largest;
  if (field.smallest == 0 && field.largest == 0) {
    paramsOut.mapMin = paramsOut.mapMax = 0;
    return 17;
  }

  const bool mainDirection = ctx.kind == 'w';
  std::int64_t lo = field.smallest, hi = field.largest;
  switch (params.scalingMode) {
    case kScalingAuto:
      params.mapFrom = field.smallest;
      params.mapTo = field.largest;
      break;
    case kScalingNone:
      lo = 1;
      hi = 255;
      params.mapFrom = 1;
      params.mapTo = 255;
      break;
    case kScalingManual:
      lo = params.mapFrom;
      hi = params.mapTo;
      break;
    case kScalingPercent:
      if (!mainDirection) {
        PercentRange(field, lo, hi);
        params.mapFrom = std::int32_t(lo);
        params.mapTo = std::int32_t(hi);
      }
      break;
    default:
      break;
  }
  const RoseClassScale scale = ClassScaleOf(lo, hi, mainDirection);

  // Class of every value the field can hold, interpolated ones included (they lie
  // between two measured values).
  std::vector<std::uint8_t> lut;
  if (!TryResize(lut, std::uint64_t(field.largest) + 1)) return 3;
  for (std::int32_t v = 0; v <= field.largest; ++v) lut[std::size_t(v)] = std::uint8_t(RoseValueClass(v, scale));

  // Roses per class. Counting each value into its own class keeps the histogram
  // exactly in step with the classes the map shows.
  std::array<double, 256> classHistogram{};
  if (!mainDirection)
    for (std::int32_t v = 1; v < kRoseValueLimit; ++v)
      if (field.histogram[std::size_t(v)] != 0.0)
        classHistogram[std::size_t(RoseValueClass(v, scale))] += field.histogram[std::size_t(v)];
  std::vector<double>().swap(field.histogram);

  std::unique_ptr<CRasterLayer> layer(new (std::nothrow) CRasterLayer(name, true));
  if (!layer) return 3;
  // A map that replaces one of the same size takes over its pixels: the old layer is
  // deleted by the replacement below, and filling its warm buffer is much cheaper than
  // faulting in a fresh one of the image's size. Every pixel is written again.
  // A build that may be stopped keeps the old layer whole until the new one is done.
  auto* replaced = progress ? nullptr : dynamic_cast<CRasterLayer*>(stack.FindLayer(name));
  if (replaced && replaced->Image().GetWidth() == int(width) && replaced->Image().GetHeight() == int(height) &&
      replaced->Image().GetBitsPerPixel() == 8 && !replaced->Image().IsEmpty())
    layer->Image() = std::move(replaced->Image());
  else if (!layer->Image().Create(int(width), int(height), 8))
    return 3;
  const std::int64_t spacing = std::int64_t(ctx.pixelSpacing);
  CBuildStage resampling(progress, kMeasuredShare, 1.0);
  const bool resampled = mainDirection
                             ? ResampleField<true>(field, ctx.nx, ctx.ny, spacing, lut, layer->Image(), resampling)
                             : ResampleField<false>(field, ctx.nx, ctx.ny, spacing, lut, layer->Image(), resampling);
  if (!resampled) return kStopped;

  layer->classes = scale.classes;
  layer->From = params.mapFrom;
  layer->To = params.mapTo;
  layer->Min = params.mapMin;
  layer->Max = params.mapMax;
  layer->classHistogram = classHistogram;
  layer->classWidth = 1.0 / scale.scale;
  const int steps = std::clamp(params.paletteSteps, 0, kMaxPaletteSteps);
  RoseMapPalette palette = MakeRoseMapPalette(params.paletteEqualPopulation, params.paletteColours, scale.classes,
                                              steps, classHistogram, params.paletteContrast);
  layer->steps = steps;
  layer->stepBoundaries = std::move(palette.boundaries);
  layer->equalPopulation = params.paletteEqualPopulation ? 1 : 0;
  layer->paletteKind = params.paletteColours;
  layer->brightness = params.paletteContrast;
  layer->red = palette.red;
  layer->green = palette.green;
  layer->blue = palette.blue;
  layer->used = palette.used;
  layer->SetPalette(layer->red, layer->green, layer->blue, layer->used, 256);
  layer->MarkChanged();
  layer->SetDescription(RoseMapDescription(results, params, combinedRoses));
  stack.AddLayer(std::move(layer));
  paramsOut = params;
  return 0;
}

std::string RoseMapDescription(const CResults& results, const CalcParameters& params, bool combinedRoses) {
  const int kind = KindCodeCharacter(params.mapKind);
  std::string text = MapKindEnglishName(char(kind)) + " (";
  AppendMaskAndCompression(text, params);
  if (combinedRoses) text += "CombinedRoses, ";
  if (!params.localNormalisation && !params.globalNormalisation) {
    text += "No Normalization, ";
  } else {
    text += params.localNormalisation && params.globalNormalisation ? "Local & Global "
            : params.localNormalisation                             ? "Local "
                                                                    : "Global ";
    text += "Normalization, ";
  }
  switch (kind) {
    case 'q':
    case 'u':
    case 'v':
      text += FormatText("Step=%d, Size=%2.2f, ", params.vectorStep, params.vectorSize);
      break;
    case 'z':
      text += FormatText("Step=%d, Size=%2.2f, ", params.roseStep, params.roseSize);
      break;
    case 'x':
    case 'y':
      text += FormatText("MinElong = %2.2f, Step=%d, ", params.minElongation, params.lineStep);
      break;
    default: {
      const char* mode = params.scalingMode == kScalingAuto      ? "AUTO"
                         : params.scalingMode == kScalingNone    ? "NO"
                         : params.scalingMode == kScalingPercent ? "PERCENT"
                                                                 : "MANUAL";
      text += FormatText("%s scale, From %d To %d, MinDens = %3.3f ", mode, params.mapFrom, params.mapTo,
                         params.minDensity);
      break;
    }
  }
  text += FormatText("Rose Window = %d, ", params.rose_wind);
  AppendImageSettings(text, params, results.imageType);
  if (combinedRoses)
    text += FormatText("%s)", ImageTypeName(results.imageType));
  else
    text += FormatText("%s, %s)", ImageTypeName(results.imageType), FileNamePart(results.sourcePath).c_str());
  return text;
}

}  // namespace linea

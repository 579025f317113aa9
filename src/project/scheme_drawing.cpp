#include "project/scheme_drawing.h"

#include <cmath>
#include <new>
#include <numbers>

#include "base/string_table.h"
#include "layers/layer_stack.h"
#include "project/workspace.h"

namespace linea {

namespace {
constexpr int kDrawingLayerName = 164;   // "Рисунок"
constexpr int kDrawingDescription = 170;  // "Drawing"
}  // namespace

SegmentMeasure MeasureSegment(int dx, int dy) {
  SegmentMeasure measure;
  const double x = dx;
  const double y = dy;
  measure.length = int(std::sqrt(x * x + y * y));
  if (dx == 0 && dy == 0) return measure;
  // A vertical segment is the limit of arctan(dy / dx) at 90 degrees (either sign,
  // once negative angles are turned by 180).
  int angle = 90;
  if (dx != 0) angle = int(std::atan(y / x) * 180.0 / std::numbers::pi);
  if (angle < 0) angle += 180;
  measure.direction = 180 - angle;
  measure.hasDirection = true;
  return measure;
}

std::string SchemeDescription(int dx, int dy, double resolutionX, double resolutionY) {
  const SegmentMeasure measure = MeasureSegment(dx, dy);
  std::string text = LoadText(kDrawingDescription);
  if (measure.hasDirection)
    text += FormatText(" Distance %d Direction %d ", measure.length, measure.direction);
  else
    text += FormatText(" Distance %d ", measure.length);
  if (std::fabs(resolutionX) != 1.0 || std::fabs(resolutionY) != 1.0) {
    const double x = resolutionX * dx;
    const double y = resolutionY * dy;
    const double world = std::sqrt(x * x + y * y);
    // A resolution so large that the length leaves the integers is shown as the largest one.
    const int shown = world < 2147483647.0 ? int(world) : 2147483647;
    text += FormatText(" ( %d) ", shown);
  }
  return text;
}

CSchemeDrawing::CSchemeDrawing() = default;
CSchemeDrawing::~CSchemeDrawing() = default;

CVectorLayer3* CSchemeDrawing::TargetInStack(const CLayerStack& stack) const {
  if (target_ == nullptr) return nullptr;
  for (int i = 0; i < stack.LayerCount(); ++i) {
    CLayer* layer = stack.LayerAt(i);
    if (layer == target_ && layer->GetName() == targetName_) return dynamic_cast<CVectorLayer3*>(layer);
  }
  return nullptr;
}

const CVectorLayer3* CSchemeDrawing::Target(const CLayerStack& stack) const {
  return pending_ ? pending_.get() : TargetInStack(stack);
}

int CSchemeDrawing::MakeLayer(const CLayerStack& stack) {
  const std::string base = LoadText(kDrawingLayerName);
  std::string name;
  // Each name the stack already holds is passed over; the stack cannot hold more.
  for (int tries = 0; tries <= stack.LayerCount(); ++tries) {
    ++counter_;
    name = FormatText("%s%d", base.c_str(), counter_);
    if (stack.FindLayer(name) == nullptr) break;
  }
  std::unique_ptr<CVectorLayer3> layer(new (std::nothrow) CVectorLayer3(name, true));
  if (!layer) return 3;
  pending_ = std::move(layer);
  target_ = nullptr;
  targetName_.clear();
  newLayer_ = true;
  return 0;
}

int CSchemeDrawing::StartPolyline(const CLayerStack& stack, const SchemeStyle& style) {
  if (!newLayer_ && !pending_ && TargetInStack(stack) == nullptr) newLayer_ = true;
  if (newLayer_) {
    const int code = MakeLayer(stack);
    if (code != 0) return code;
  }
  style_ = style;
  points_.clear();
  drawing_ = true;
  return 0;
}

int CSchemeDrawing::AddSchemePoints(CWorkspace& workspace, std::span<const PolylinePoint16> points, bool finish) {
  if (!drawing_) return 0;
  try {
    points_.insert(points_.end(), points.begin(), points.end());
  } catch (const std::bad_alloc&) {
    CancelPolyline();
    return 3;
  }
  if (!finish) return 0;
  drawing_ = false;
  const std::vector<PolylinePoint16> polyline = std::move(points_);
  points_.clear();
  if (polyline.empty()) return 0;

  CLayerStack& stack = workspace.layerStack;
  CVectorLayer3* layer = pending_ ? pending_.get() : TargetInStack(stack);
  if (layer == nullptr) {
    // The drawing went away while the polyline was drawn: it starts a new one.
    const int code = MakeLayer(stack);
    if (code != 0) return code;
    layer = pending_.get();
  }
  if (layer->AddPolyline16(polyline, style_.color, style_.width)) return 3;

  const PolylinePoint16 last = polyline.back();
  const PolylinePoint16 before = polyline.size() >= 2 ? polyline[polyline.size() - 2] : last;
  layer->SetDescription(SchemeDescription(int(last.x) - before.x, int(last.y) - before.y,
                                          workspace.saveSettings.resolutionX, workspace.saveSettings.resolutionY));
  if (pending_) {
    target_ = pending_.get();
    targetName_ = pending_->GetName();
    newLayer_ = false;
    if (stack.AddLayer(std::move(pending_)) == nullptr) {
      target_ = nullptr;
      targetName_.clear();
      newLayer_ = true;
      return 3;
    }
  } else {
    layer->MarkChanged();
  }
  return 0;
}

void CSchemeDrawing::CancelPolyline() {
  drawing_ = false;
  points_.clear();
}

void CSchemeDrawing::End() {
  CancelPolyline();
  pending_.reset();
  target_ = nullptr;
  targetName_.clear();
  newLayer_ = true;
}

}  // namespace linea

#include "ui/layers_bar.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>

#include <algorithm>

#include "base/string_table.h"
#include "layers/vector_layer.h"
#include "layers/vector_layer3.h"
#include "project/workspace.h"
#include "ui_layers_bar.h"

namespace linea {

namespace {
constexpr int kLayerNameHeader = 129;
constexpr int kLayerRole = Qt::UserRole + 1;

bool IsBaseKind(int kind) { return kind == kLayerKindBitmap || kind == kLayerKindRaster; }

const char* const kKindIcons[] = {":/icons/kind_raster.xpm", ":/icons/kind_vector3.xpm",
                                  ":/icons/kind_vector.xpm", ":/icons/kind_band.xpm"};
}  // namespace

std::vector<int> LayerMenuCommands(const CLayer& layer) {
  switch (layer.GetKind()) {
    case kLayerKindBitmap:
      return {kLayerDelete};
    case kLayerKindRaster:
      return {kLayerDelete, kLayerPalette, kLayerGreyPalette, kLayerIsolines, kLayerColorBand};
    case kLayerKindBand:
      return {kLayerDelete, kLayerChangeColor, kLayerIsolines};
    case kLayerKindVector: {
      std::vector<int> items{kLayerDelete};
      const auto* vector = dynamic_cast<const CVectorLayer*>(&layer);
      if (vector && vector->IsColorChangeable() && !layer.HasFlag(kLayerSeveralColors))
        items.push_back(kLayerChangeColor);
      return items;
    }
    case kLayerKindVector3: {
      // A drawing with lines takes one colour or one width for all of them.
      std::vector<int> items{kLayerDelete, kLayerDrawLast};
      const auto* drawing = dynamic_cast<const CVectorLayer3*>(&layer);
      if (drawing && drawing->GroupCount() > 0) {
        items.push_back(kLayerChangeColor);
        items.push_back(kLayerChangeWidth);
      }
      if (drawing && drawing->holdsStripes) items.push_back(kLayerReplaceStripes);
      return items;
    }
    default:
      return {};
  }
}

int LayerIconIndex(int kind) {
  switch (kind) {
    case kLayerKindVector3: return 1;
    case kLayerKindVector: return 2;
    case kLayerKindBand: return 3;
    default: return 0;
  }
}

int DrawingLayerCount(const CWorkspace& workspace) {
  int count = 0;
  const CLayerStack& stack = workspace.layerStack;
  for (int i = 0; i < stack.LayerCount(); ++i)
    if (stack.LayerAt(i)->GetKind() == kLayerKindVector3) ++count;
  return count;
}

CLayersBar::CLayersBar(CWorkspace& workspace, QWidget* parent)
    : QWidget(parent), workspace_(workspace), ui_(new Ui::CLayersBarForm) {
  ui_->setupUi(this);
  QTreeWidget* list = ui_->layerList;
  list->setHeaderLabels({QString::fromStdString(LoadText(kLayerNameHeader))});
  list->header()->setStretchLastSection(true);
  list->setIconSize(QSize(16, 16));
  list->viewport()->installEventFilter(this);
  ui_->descriptionLine->setFixedHeight(ui_->descriptionLine->fontMetrics().height() + 4);
  ui_->showAtOnce->setChecked(true);
  ui_->showButton->hide();
  connect(list, &QTreeWidget::itemChanged, this, &CLayersBar::OnItemChanged);
  connect(list, &QTreeWidget::itemEntered, this, [this](QTreeWidgetItem* item, int) { OnItemEntered(item); });
  // The highlighted row is the current layer, whatever moved the highlight (a click
  // on the name, the keyboard); a click on a check box alone moves neither.
  connect(list, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item, QTreeWidgetItem*) { OnItemActivated(item); });
  connect(list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) { OnItemActivated(item); });
  connect(list, &QTreeWidget::customContextMenuRequested, this, &CLayersBar::OnContextMenu);
  connect(ui_->showAtOnce, &QCheckBox::toggled, this, &CLayersBar::OnShowAtOnceToggled);
  connect(ui_->showButton, &QPushButton::clicked, this, [this] { RefreshView(false); });
  connect(ui_->mergeButton, &QPushButton::clicked, this, &CLayersBar::OnMerge);
  UpdateMergeButton();
}

CLayersBar::~CLayersBar() { delete ui_; }

QTreeWidget* CLayersBar::List() const { return ui_->layerList; }
QPushButton* CLayersBar::ShowButton() const { return ui_->showButton; }
QPushButton* CLayersBar::MergeButton() const { return ui_->mergeButton; }
bool CLayersBar::ShowAtOnce() const { return ui_->showAtOnce->isChecked(); }
void CLayersBar::SetShowAtOnce(bool on) { ui_->showAtOnce->setChecked(on); }
QString CLayersBar::DescriptionText() const { return ui_->descriptionLine->toolTip(); }

CLayer* CLayersBar::LayerOf(const QTreeWidgetItem* item) const {
  if (item == nullptr) return nullptr;
  auto* layer = reinterpret_cast<CLayer*>(item->data(0, kLayerRole).value<quintptr>());
  // The item may outlive its layer until the next refill; only layers in the stack count.
  const CLayerStack& stack = workspace_.layerStack;
  for (int i = 0; i < stack.LayerCount(); ++i)
    if (stack.LayerAt(i) == layer) return layer;
  return nullptr;
}

QTreeWidgetItem* CLayersBar::ItemOf(const CLayer* layer) const {
  QTreeWidget* list = ui_->layerList;
  for (int i = 0; i < list->topLevelItemCount(); ++i)
    if (LayerOf(list->topLevelItem(i)) == layer && layer != nullptr) return list->topLevelItem(i);
  return nullptr;
}

CLayer* CLayersBar::SelectedLayer() const { return LayerOf(ui_->layerList->currentItem()); }

void CLayersBar::SelectLayer(const CLayer* layer) {
  if (QTreeWidgetItem* item = ItemOf(layer)) ui_->layerList->setCurrentItem(item);
}

void CLayersBar::Refill() {
  QTreeWidget* list = ui_->layerList;
  ++programmaticChanges_;
  list->clear();
  const CLayerStack& stack = workspace_.layerStack;
  QTreeWidgetItem* current = nullptr;
  for (int i = 0; i < stack.LayerCount(); ++i) {
    CLayer* layer = stack.LayerAt(i);
    auto* item = new QTreeWidgetItem(list);
    item->setText(0, QString::fromStdString(layer->GetName()));
    item->setData(0, kLayerRole, QVariant::fromValue(quintptr(layer)));
    item->setIcon(0, QIcon(QString::fromLatin1(kKindIcons[LayerIconIndex(layer->GetKind())])));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, layer->IsVisible() ? Qt::Checked : Qt::Unchecked);
    item->setToolTip(0, QString::fromStdString(layer->GetDescription()));
    if (layer == stack.GetCurrentLayer()) current = item;
  }
  if (current) list->setCurrentItem(current);
  --programmaticChanges_;
  UpdateMergeButton();
}

void CLayersBar::OnItemChanged(QTreeWidgetItem* item, int column) {
  if (programmaticChanges_ > 0 || column != 0) return;
  CLayer* layer = LayerOf(item);
  if (layer == nullptr) return;
  const bool checked = item->checkState(0) == Qt::Checked;
  if (checked == layer->IsVisible()) return;  // not a change of the check box
  if (IsBaseKind(layer->GetKind()) && checked) {
    // Only one bitmap or raster layer is the base of the picture.
    const CLayerStack& stack = workspace_.layerStack;
    for (int i = 0; i < stack.LayerCount(); ++i) {
      CLayer* other = stack.LayerAt(i);
      if (other == layer || !IsBaseKind(other->GetKind()) || !other->IsVisible()) continue;
      other->SetVisible(false);
      other->MarkChanged();
      ++programmaticChanges_;
      if (QTreeWidgetItem* otherItem = ItemOf(other)) otherItem->setCheckState(0, Qt::Unchecked);
      --programmaticChanges_;
    }
  }
  layer->MarkChanged();
  layer->SetVisible(checked);
  RefreshView(true);
  if (updateCommands) updateCommands();
}

void CLayersBar::OnItemEntered(QTreeWidgetItem* item) {
  const CLayer* layer = LayerOf(item);
  ShowDescription(layer ? QString::fromStdString(layer->GetDescription()) : QString());
}

QString DescriptionLineText(const QString& description) {
  const QStringList lines = description.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  return lines.isEmpty() ? QString() : lines.front().trimmed();
}

void CLayersBar::ShowDescription(const QString& text) {
  // One line of fixed height: a long description must not resize the panel and
  // move its buttons under the pointer. The whole text is the line's tooltip.
  QLabel* line = ui_->descriptionLine;
  line->setText(line->fontMetrics().elidedText(DescriptionLineText(text), Qt::ElideRight,
                                               std::max(0, line->width())));
  line->setToolTip(text);
  if (showStatus) showStatus(text);
}

bool CLayersBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_->layerList->viewport() && event->type() == QEvent::Leave) ShowDescription(QString());
  return QWidget::eventFilter(watched, event);
}

void CLayersBar::OnItemActivated(QTreeWidgetItem* item) {
  CLayer* layer = LayerOf(item);
  if (layer == nullptr || programmaticChanges_ > 0) return;
  workspace_.layerStack.SetCurrentLayer(layer);
  emit currentLayerChanged();
}

std::unique_ptr<QMenu> CLayersBar::BuildContextMenu(CLayer& layer) {
  SelectLayer(&layer);
  if (updateCommands) updateCommands();
  auto menu = std::make_unique<QMenu>(this);
  for (int id : LayerMenuCommands(layer)) {
    auto found = menuActions_.find(id);
    if (found != menuActions_.end()) menu->addAction(found->second);
  }
  return menu;
}

void CLayersBar::OnContextMenu(const QPoint& position) {
  QTreeWidgetItem* item = ui_->layerList->itemAt(position);
  CLayer* layer = LayerOf(item);
  if (layer == nullptr) return;
  std::unique_ptr<QMenu> menu = BuildContextMenu(*layer);
  if (!menu->isEmpty()) menu->exec(ui_->layerList->viewport()->mapToGlobal(position));
}

void CLayersBar::RefreshView(bool conditional) {
  if (conditional && !ShowAtOnce()) return;
  if (refreshView) refreshView();
}

void CLayersBar::OnShowAtOnceToggled(bool on) {
  ui_->showButton->setVisible(!on);
  if (on && workspace_.layerStack.AnyChanged()) RefreshView(false);
}

void CLayersBar::UpdateMergeButton() {
  ui_->mergeButton->setEnabled(mergeDrawings && DrawingLayerCount(workspace_) >= 2);
}

void CLayersBar::OnMerge() {
  if (!mergeDrawings || DrawingLayerCount(workspace_) < 2) return;
  if (mergeDrawings()) {
    Refill();
    RefreshView(true);
  }
}

}  // namespace linea

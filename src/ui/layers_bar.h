#pragma once
// The layers bar: the workspace's layers in stack order with their visibility
// check boxes and kind icons, the description of the layer under the mouse, and
// the context menu of a layer. The list holds no state of its own beyond the
// selection; it is rebuilt from the stack whenever layers are added, removed or
// reordered.

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <QWidget>

class QAction;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace Ui {
class CLayersBarForm;
}

namespace linea {

class CLayer;
class CWorkspace;

// Ids of the context-menu commands.
enum LayerMenuCommand : int {
  kLayerDelete = 32787,
  kLayerPalette = 32788,
  kLayerGreyPalette = 32789,
  kLayerChangeColor = 32790,
  kLayerChangeWidth = 32848,
  kLayerIsolines = 32850,
  kLayerColorBand = 32852,
  kLayerDrawLast = 32855,
  kLayerReplaceStripes = 32856,
};

// The context-menu commands a layer offers, in menu order, by its kind.
std::vector<int> LayerMenuCommands(const CLayer& layer);
// Icon index of the list: 0 raster layers, 1 CVectorLayer3, 2 CVectorLayer, 3 bands.
int LayerIconIndex(int kind);
// The number of CVectorLayer3 layers, which "Рисовать последним" and "Объединить" need two of.
int DrawingLayerCount(const CWorkspace& workspace);

// The first line of a layer's description, which the bar's one text line shows.
QString DescriptionLineText(const QString& description);

class CLayersBar : public QWidget {
  Q_OBJECT
 public:
  // The workspace must outlive the bar.
  CLayersBar(CWorkspace& workspace, QWidget* parent);
  ~CLayersBar() override;

  // Rebuilds the list from the stack and selects the current layer.
  void Refill();
  QTreeWidget* List() const;
  QTreeWidgetItem* ItemOf(const CLayer* layer) const;
  CLayer* LayerOf(const QTreeWidgetItem* item) const;
  // The layer of the selected item, or none.
  CLayer* SelectedLayer() const;
  void SelectLayer(const CLayer* layer);

  // "Показывать сразу": when off, visibility changes wait for "Показать".
  bool ShowAtOnce() const;
  void SetShowAtOnce(bool on);
  QPushButton* ShowButton() const;
  QPushButton* MergeButton() const;
  // The whole description of the layer under the mouse (the text line shows its first line).
  QString DescriptionText() const;

  // The context-menu commands, by id (the command table's actions).
  void SetMenuActions(std::map<int, QAction*> actions) { menuActions_ = std::move(actions); }
  // The menu of a layer, which becomes the selected one: its kind's commands,
  // their states brought up to date first.
  std::unique_ptr<QMenu> BuildContextMenu(CLayer& layer);

  // What the bar cannot do itself.
  std::function<void()> updateCommands;
  std::function<void()> refreshView;
  std::function<void(const QString&)> showStatus;
  // Merges the drawings ("Объединить"); none while merging is not available.
  std::function<bool()> mergeDrawings;

  // Algorithm of the view refresh: conditional honours "Показывать сразу".
  void RefreshView(bool conditional);

 signals:
  void currentLayerChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnItemChanged(QTreeWidgetItem* item, int column);
  void OnItemEntered(QTreeWidgetItem* item);
  void OnItemActivated(QTreeWidgetItem* item);
  void OnContextMenu(const QPoint& position);
  void OnShowAtOnceToggled(bool on);
  void OnMerge();
  void ShowDescription(const QString& text);
  void UpdateMergeButton();

  CWorkspace& workspace_;
  Ui::CLayersBarForm* ui_;
  std::map<int, QAction*> menuActions_;
  // Raised around check-box changes made by the program, which are not the user's.
  int programmaticChanges_ = 0;
};

}  // namespace linea

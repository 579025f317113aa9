#pragma once
// The program started as from the command line with every modal step scripted,
// and the few gestures the desktop tests make: clicks on the layers list, drops,
// wheel turns, the readouts they check.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "app/image_viewer_app.h"
#include "app/image_viewer_doc.h"
#include "app/commands.h"
#include "base/paths.h"
#include "base/string_table.h"
#include "demo_project.h"
#include "imaging/image.h"
#include "layers/raster_import.h"
#include "project/save_settings.h"
#include "project/workspace.h"
#include "program_window_fixture.h"
#include "scripted_qt_host.h"
#include "support/test_files.h"
#include "support/test_host.h"
#include "ui/cursor_bar.h"
#include "ui/dialog_fitting.h"
#include "ui/drop_opener.h"
#include "ui/image_viewer_view.h"
#include "ui/layers_bar.h"
#include "ui/main_frame.h"
#include "ui/qt_translations.h"
#include "ui/small_dialogs.h"
#include "ui/status_readout.h"
#include "ui/wheel_zoom.h"
#include "ui/zoom_toolbar.h"

namespace linea {

class DesktopWindowTest : public ProgramWindowTest {
 public:
  static constexpr int kBaseName = 32817;     // "Исходное"
  static constexpr int kStripesName = 32818;  // "Штрихи"

  std::string Demo(const std::string& name = "demo", DemoProjectOptions options = {}) {
    std::string project = WriteDemo(name, options);
    EXPECT_FALSE(project.empty());
    return project;
  }
  void Start(const std::optional<std::string>& project = std::nullopt) { StartProgram(project); }
  CLayer* Layer(int nameId) { return Ws().layerStack.FindLayer(LoadText(nameId)); }
  std::string ShownTitle() { return Frame().windowHandle()->title().toStdString(); }
  std::string WriteGreyImage(const std::string& name, int width, int height, int level) {
    CImage image;
    EXPECT_TRUE(image.Create(width, height, 8));
    for (int i = 0; i < 256; ++i) image.SetColorForIndex(i, std::uint32_t(i * 0x010101));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) image.SetColorForPixel(x, y, level);
    const std::string path = folder.File(name);
    EXPECT_TRUE(image.Save(path, kImageFormatBmp));
    return path;
  }
  // A click on the check box of a row of the layers list, where a person clicks it.
  void ClickCheckBox(QTreeWidgetItem* item) {
    QTreeWidget* list = Bar().List();
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.rect = list->visualItemRect(item);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay |
                      QStyleOptionViewItem::HasDecoration;
    option.text = item->text(0);
    option.icon = item->icon(0);
    option.decorationSize = list->iconSize();
    option.checkState = item->checkState(0);
    const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
  }
  void ClickRowText(QTreeWidgetItem* item) {
    const QRect row = Bar().List()->visualItemRect(item);
    QTest::mouseClick(Bar().List()->viewport(), Qt::LeftButton, {}, QPoint(row.right() - 10, row.center().y()));
  }
  QStringList CursorBarTexts() {
    CCursorBar& bar = Frame().CursorBar();
    QStringList texts{bar.XEdit()->text(), bar.YEdit()->text()};
    for (int row = 0; row < 3; ++row) texts << bar.ValueEdit(row)->text() << bar.ValueLabel(row)->text();
    return texts;
  }
  void Drop(const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    const QPoint at = Frame().rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &enter);
    dragAccepted = enter.isAccepted();
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &drop);
    QCoreApplication::processEvents();  // the file is opened right after the drop
  }
  void Wheel(QPoint at, int delta, Qt::KeyboardModifiers modifiers) {
    QWheelEvent event(QPointF(at), QPointF(View().viewport()->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(View().viewport(), &event);
  }

  bool dragAccepted = false;
};

}  // namespace linea

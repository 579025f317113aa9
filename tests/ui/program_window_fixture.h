#pragma once
// The program started as from the command line in a real, shown window, with every
// modal step scripted by the host, and the few parts of it most tests reach for.
#include <gtest/gtest.h>

#include <QAction>
#include <QSettings>
#include <QTest>
#include <QWindow>

#include <memory>
#include <optional>
#include <string>

#include "app/commands.h"
#include "app/image_viewer_app.h"
#include "demo_project.h"
#include "project/workspace.h"
#include "scripted_qt_host.h"
#include "support/test_files.h"
#include "support/test_host.h"
#include "ui/image_viewer_view.h"
#include "ui/layers_bar.h"
#include "ui/main_frame.h"

namespace linea {

class ProgramWindowTest : public ::testing::Test {
 protected:
  // Each test keeps its settings in its own folder, so no run sees another's.
  void SetUp() override {
    settings = std::make_unique<QSettings>(QString::fromStdString(folder.File("settings.ini")), QSettings::IniFormat);
  }
  // The window goes before the folder its project lives in.
  void TearDown() override { app.reset(); }

  // Starts the program as from the command line, in a window of a known size.
  void StartProgram(const std::optional<std::string>& project = std::nullopt, int width = 1100, int height = 800) {
    app = std::make_unique<CImageViewerApp>(host, *settings);
    ASSERT_TRUE(app->InitInstance(project, false));
    Frame().resize(width, height);
    Frame().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Frame()));
  }

  // The demo project written into the test's folder; its path, empty when it could not be written.
  std::string WriteDemo(const std::string& name = "demo", const DemoProjectOptions& options = {}) {
    return WriteDemoProject(quiet, folder.Path().substr(0, folder.Path().size() - 1), name, options);
  }

  CMainFrame& Frame() { return app->Frame(); }
  CImageViewerView& View() { return app->View(); }
  CWorkspace& Ws() { return app->Workspace(); }
  CLayersBar& Bar() { return Frame().LayersBar(); }
  QAction* Action(int id) { return app->Commands().Action(id); }
  // Enabled as a menu shows it: the menu's update runs first.
  bool IsEnabled(int id) {
    app->Commands().UpdateCommandStates();
    QAction* action = Action(id);
    return action && action->isEnabled();
  }
  // As chosen from a menu.
  void Choose(int id) {
    ASSERT_TRUE(IsEnabled(id)) << id;
    Action(id)->trigger();
  }

  CTempFolder folder;
  CTestHost quiet;
  CScriptedQtHost host;
  std::unique_ptr<QSettings> settings;
  std::unique_ptr<CImageViewerApp> app;
};

}  // namespace linea

#pragma once
// The command table: for every command of the menus, toolbars and the layers
// bar's context menu its text, shortcut, icon, handler and update rule, in one
// place. Each command is one QAction; UpdateCommandStates re-evaluates every
// update rule, which runs when a menu opens and whenever the workspace changes,
// so availability always follows the workspace.

#include <map>
#include <optional>
#include <span>
#include <string>

#include <QObject>

class QAction;
class QMenu;

namespace linea {

class CImageViewerApp;
class CMainFrame;

struct CommandState {
  bool enabled = true;
  std::optional<bool> checked;  // for commands with a check mark
  bool visible = true;
};

using CommandHandler = void (*)(CImageViewerApp&);
using CommandUpdate = CommandState (*)(CImageViewerApp&);

struct CommandDef {
  int id;
  int textId;        // string-table id of the menu text; 0 when `text` holds it
  const char* text;  // the menu text when its id is taken by another text
  const char* icon;  // resource path of the toolbar icon, or null
  CommandHandler handler;
  CommandUpdate update;
  bool checkable = false;
};

std::span<const CommandDef> CommandDefinitions();
const CommandDef* FindCommand(int id);
// The menu text of a command, "&Открыть Проект...\tCtrl+O" and the like.
std::string CommandText(const CommandDef& command);
// The shortcut a menu text names after its tab ("Ctrl+O"), or "".
std::string ShortcutOfText(const std::string& text);

// The menus of the menu bar: their titles and the ids in order, 0 for a separator.
struct MenuDef {
  const char* title;
  std::span<const int> ids;
};
std::span<const MenuDef> MenuDefinitions();

// "Настройки": the calculation parameters dialog over the workspace's block; the
// confirmed values are applied by the workspace, which clears what they invalidate.
void EditCalcParameters(CImageViewerApp& app);
// The rose and lineament panels' show buttons: the panel's fields stored and
// checked, then the map built (replacing the last one, or as a new layer).
void ShowRoseMapFromPanel(CImageViewerApp& app, bool newLayer);
void ShowLineamentsFromPanel(CImageViewerApp& app, bool newLayer);

class CCommandTable : public QObject {
  Q_OBJECT
 public:
  explicit CCommandTable(CImageViewerApp& app);
  ~CCommandTable() override;

  // Makes the actions and puts them into the frame's menus, toolbars and the
  // layers bar's context menu.
  void Install(CMainFrame& frame);
  QAction* Action(int id) const;
  QMenu* Menu(const std::string& title) const;
  void UpdateCommandStates();
  // Runs a command as if chosen (enabled or not: callers check the state they need).
  void Run(int id);
  CommandState State(int id);

 private:
  CImageViewerApp& app_;
  std::map<int, QAction*> actions_;
  std::map<std::string, QMenu*> menus_;
  bool updating_ = false;
};

}  // namespace linea

#pragma once
// The status-bar text of a menu command, shown while the item or its toolbar
// button is under the mouse.

#include <string>

namespace linea {

struct CommandDef;

// Status texts of commands whose own string id holds their menu text live under
// this offset plus the command id.
inline constexpr int kStatusTextOffset = 100000;

// The command's own status text when the string table has one, else its menu text
// without the shortcut and the '&' marks ("&Открыть Проект...\tCtrl+O" gives
// "Открыть Проект..."); "" for commands without text.
std::string CommandStatusText(const CommandDef& command);

}  // namespace linea

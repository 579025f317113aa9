#include "app/command_status.h"

#include "app/commands.h"
#include "base/string_table.h"

namespace linea {

std::string CommandStatusText(const CommandDef& command) {
  std::string own = LoadText(kStatusTextOffset + command.id);
  if (!own.empty()) return own;
  std::string text = CommandText(command);
  if (const auto tab = text.find('\t'); tab != std::string::npos) text.resize(tab);
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // "&&" is a literal ampersand; a single one marks the mnemonic.
    if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&') {
      plain += '&';
      ++i;
    } else if (text[i] != '&') {
      plain += text[i];
    }
  }
  return plain;
}

}  // namespace linea

#include "cli/cli_host.h"

namespace linea {

void CCliHost::ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) {
  ++messagesShown_;
  std::fprintf(errors_, "%s\n", text.c_str());
  std::fflush(errors_);
}

bool CCliHost::AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) {
  ++messagesShown_;
  // Nobody is there to answer: the question is shown with the answer taken.
  std::fprintf(errors_, "%s\n-> No\n", text.c_str());
  std::fflush(errors_);
  return false;
}

}  // namespace linea

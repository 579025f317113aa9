#pragma once
// The batch tool's host: every message goes to standard error as the window
// would show it, and every question takes its safe answer (No) without waiting.

#include <cstdio>
#include <string>

#include "base/app_host.h"

namespace linea {

class CCliHost : public CAppHost {
 public:
  // Messages are written to `errors` (standard error by default), which must
  // outlive the host.
  explicit CCliHost(std::FILE* errors = stderr) : errors_(errors) {}

  void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override;
  bool AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) override;
  std::optional<std::string> AskLayerName(const std::string& proposed) override { return proposed; }
  ImageSizeAnswer AskImageSize(const ImageSizeAnswer& proposal) override { return proposal; }

  // How many messages and questions were shown so far.
  int MessagesShown() const { return messagesShown_; }

 private:
  std::FILE* errors_;
  int messagesShown_ = 0;
};

}  // namespace linea

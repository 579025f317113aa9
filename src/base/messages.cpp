#include "base/messages.h"

#include "base/string_table.h"

namespace linea {
namespace {

struct CodeMessage {
  int code;
  int stringId;
};

constexpr CodeMessage kCodeMessages[] = {
    {1, 32833},  {2, 32833},  {3, 32801},  {4, 32834},  {5, 32833},  {6, 32835},  {7, 32833}, {8, 32847},
    {10, 32833}, {11, 32810}, {12, 32829}, {13, 32830}, {14, 32831}, {15, 32832}, {17, 32836},
};

constexpr int kUnexpectedError = 32833;
constexpr int kCannotPerform = 32811;
constexpr int kWantToContinue = 32812;
constexpr int kQuestionCaption = 32807;

}  // namespace

int ErrorMessageId(int code) {
  for (const auto& row : kCodeMessages)
    if (row.code == code) return row.stringId;
  return kUnexpectedError;
}

std::string ApplicationCaption() { return LoadText(kQuestionCaption); }

void ShowError(CAppHost& host, const std::string& text, const std::string& detail) {
  std::string message = text.empty() ? LoadText(kCannotPerform) : text;
  if (!detail.empty()) message += " " + detail;
  host.ShowMessage(ApplicationCaption(), message, MessageIcon::Warning);
}

void ShowError(CAppHost& host, int textId, int detailId) {
  ShowError(host, textId ? LoadText(textId) : std::string(), detailId ? LoadText(detailId) : std::string());
}

void ShowErrorCode(CAppHost& host, int code) { ShowError(host, LoadText(ErrorMessageId(code))); }

bool AskContinue(CAppHost& host, const std::string& text) {
  if (!host.HasMainFrame()) return false;
  return host.AskYesNo(LoadText(kQuestionCaption), text + "\n" + LoadText(kWantToContinue),
                       MessageIcon::Question);
}

bool AskWarningQuestion(CAppHost& host, const std::string& text) {
  return host.AskYesNo("Warning", text, MessageIcon::Question);
}

std::string RangeMessage(const std::string& name, int lower, int upper) {
  return FormatText(LoadText(32823).c_str(), name.c_str(), lower, upper);
}

std::string LowerBoundMessage(const std::string& name, int bound) {
  return FormatText(LoadText(32824).c_str(), name.c_str(), bound);
}

std::string LessThanMessage(const std::string& name, const std::string& other) {
  return FormatText(LoadText(32826).c_str(), name.c_str(), other.c_str());
}

std::string OddRangeMessage(const std::string& name, int lower, int upper) {
  return FormatText(LoadText(32827).c_str(), name.c_str(), lower, upper);
}

std::string AutoCorrectMessage(const std::string& name, const std::string& value) {
  return FormatText(LoadText(32843).c_str(), name.c_str(), value.c_str());
}

}  // namespace linea

#pragma once
// Error codes and the three ways of showing a message. Lower layers return codes;
// the command level turns them into messages through the host.

#include <string>

#include "base/app_host.h"

namespace linea {

// Error codes (0 is success).
enum ErrorCode : int {
  kOk = 0,
  kErrorOutOfMemory = 3,
  kErrorCannotOpen = 4,
  kErrorCannotWrite = 6,
  kErrorTableFull = 8,  // also: no memory for lineaments
  kErrorStopped = 11,
  kErrorNoRoses = 12,
  kErrorNoStripes = 13,
  kErrorNoBlocks = 14,
  kErrorBadDirection = 15,
  kErrorNoData = 17,
};

// String id of the message for an error code (32833 for codes outside the table).
int ErrorMessageId(int code);

// A message box with OK and the application's caption: `text` (or 32811 when
// empty) followed, when given, by one blank and `detail`.
void ShowError(CAppHost& host, const std::string& text, const std::string& detail = {});
void ShowError(CAppHost& host, int textId, int detailId = 0);
void ShowErrorCode(CAppHost& host, int code);
// `text`, a line feed and 32812 in a Yes/No question captioned 32807; no when
// there is no main frame. True exactly on Yes.
bool AskContinue(CAppHost& host, const std::string& text);
// A Yes/No question with the caption "Warning" and a question icon.
bool AskWarningQuestion(CAppHost& host, const std::string& text);

// The finished texts of the validation messages.
std::string RangeMessage(const std::string& name, int lower, int upper);       // 32823
std::string LowerBoundMessage(const std::string& name, int bound);             // 32824
std::string LessThanMessage(const std::string& name, const std::string& other);  // 32826
std::string OddRangeMessage(const std::string& name, int lower, int upper);    // 32827
std::string AutoCorrectMessage(const std::string& name, const std::string& value);  // 32843

// The application's caption.
std::string ApplicationCaption();

}  // namespace linea

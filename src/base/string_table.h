#pragma once
#include <string>
#include <string_view>

namespace linea {

// The program's texts by their numeric id, UTF-8. Unknown ids give an empty text.
std::string LoadText(int id);
std::string_view LoadTextView(int id);

// Fills a C format ("%s", "%d", "%ld", ...) like snprintf, without a length limit.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace linea

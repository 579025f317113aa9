#include "ui/file_filters.h"

#include <vector>

namespace linea {

namespace {
std::vector<std::string> SplitBars(const std::string& text) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (c == '|') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}
}  // namespace

std::string QtFilterOf(const std::string& filter) {
  const std::vector<std::string> parts = SplitBars(filter);
  std::string result;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string name = Trimmed(parts[i]);
    if (name.empty()) break;  // "||" ends the list
    std::string patterns;
    std::string pattern;
    for (char c : parts[i + 1] + ";") {
      if (c == ';' || c == ',') {
        pattern = Trimmed(pattern);
        if (!pattern.empty()) patterns += (patterns.empty() ? "" : " ") + pattern;
        pattern.clear();
      } else {
        pattern += c;
      }
    }
    if (!name.empty() && name.back() == ')') {
      const auto open = name.rfind('(');
      if (open != std::string::npos) name = name.substr(0, open + 1) + patterns + ")";
    } else {
      name += " (" + patterns + ")";
    }
    if (!result.empty()) result += ";;";
    result += name;
  }
  return result;
}

std::string SuffixOfExtension(const std::string& defaultExtension) {
  const auto dot = defaultExtension.rfind('.');
  return dot == std::string::npos ? defaultExtension : defaultExtension.substr(dot + 1);
}

}  // namespace linea

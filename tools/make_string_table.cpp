// Turns resources/strings.txt ("id<TAB>text" lines, C escapes \n \t \\ \")
// into the initialiser list of the program's constant string table.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

namespace {

bool Unescape(const std::string& in, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i == in.size()) return false;
    switch (in[i]) {
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      case '"': out += '"'; break;
      default: return false;
    }
  }
  return true;
}

std::string Literal(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\%03o", c);
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_string_table strings.txt out.inc\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << argv[1] << ": cannot open\n";
    return 1;
  }
  std::map<long, std::string> table;
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::size_t tab = line.find('\t');
    char* end = nullptr;
    long id = std::strtol(line.c_str(), &end, 10);
    std::string text;
    if (tab == std::string::npos || end != line.c_str() + tab || !Unescape(line.substr(tab + 1), text)) {
      std::cerr << argv[1] << ":" << lineNumber << ": expected \"id<TAB>text\" with \\n \\t \\\\ \\\" escapes\n";
      return 1;
    }
    if (!table.emplace(id, text).second) {
      std::cerr << argv[1] << ":" << lineNumber << ": id " << id << " appears twice\n";
      return 1;
    }
  }
  std::string output;
  for (const auto& [id, text] : table)
    output += "{" + std::to_string(id) + ", std::string_view(" + Literal(text) + ", " +
              std::to_string(text.size()) + ")},\n";
  // Write only when changed, so an untouched table does not rebuild its users.
  {
    std::ifstream old(argv[2], std::ios::binary);
    std::string previous((std::istreambuf_iterator<char>(old)), std::istreambuf_iterator<char>());
    if (old && previous == output) return 0;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << output;
  return out ? 0 : 1;
}

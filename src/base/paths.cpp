#include "base/paths.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace linea {

bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

std::size_t LastSeparator(std::string_view path) { return path.find_last_of("/\\"); }

bool HasSeparator(std::string_view path) { return LastSeparator(path) != std::string_view::npos; }

std::string FolderPart(std::string_view path) {
  std::size_t at = LastSeparator(path);
  return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

std::string FileNamePart(std::string_view path) {
  std::size_t at = LastSeparator(path);
  return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

namespace {
std::size_t ExtensionStart(std::string_view path) {
  std::size_t dot = path.find_last_of('.');
  std::size_t sep = LastSeparator(path);
  if (dot == std::string_view::npos) return std::string_view::npos;
  if (sep != std::string_view::npos && dot < sep) return std::string_view::npos;
  return dot;
}
}  // namespace

std::string WithoutExtension(std::string_view path) {
  std::size_t dot = ExtensionStart(path);
  return std::string(dot == std::string_view::npos ? path : path.substr(0, dot));
}

std::string ExtensionPart(std::string_view path) {
  std::size_t dot = ExtensionStart(path);
  return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string ToNativePath(std::string_view path) {
  std::string result(path);
  for (char& c : result)
    if (c == '\\') c = '/';
  return result;
}

bool SameFolder(std::string_view a, std::string_view b) {
  const std::string left = ToNativePath(a), right = ToNativePath(b);
  if (left == right) return true;
  if (left.empty() || right.empty()) return false;
  std::error_code error;
  const bool same = std::filesystem::equivalent(left, right, error);
  return !error && same;
}

bool FileCanBeRead(const std::string& path) {
  std::FILE* f = std::fopen(ToNativePath(path).c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<std::uint8_t>(text[i]);
    int extra;
    std::uint32_t code;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      code = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      auto d = static_cast<std::uint8_t>(text[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      code = (code << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    if ((extra == 1 && code < 0x80) || (extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000) ||
        code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += extra + 1;
  }
  return true;
}

std::string Windows1251ToUtf8(std::string_view text) {
  // Code points of bytes 0x80..0xBF; 0xC0..0xFF map to U+0410..U+044F.
  static constexpr std::uint16_t kHigh[64] = {
      0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
      0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
      0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
      0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
      0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};
  std::string out;
  out.reserve(text.size() * 2);
  for (char ch : text) {
    auto c = static_cast<std::uint8_t>(ch);
    std::uint32_t code = c < 0x80 ? c : c < 0xC0 ? kHigh[c - 0x80] : 0x0410 + (c - 0xC0);
    if (code < 0x80) {
      out += char(code);
    } else if (code < 0x800) {
      out += char(0xC0 | (code >> 6));
      out += char(0x80 | (code & 0x3F));
    } else {
      out += char(0xE0 | (code >> 12));
      out += char(0x80 | ((code >> 6) & 0x3F));
      out += char(0x80 | (code & 0x3F));
    }
  }
  return out;
}

std::string StoredTextToUtf8(std::string_view text) {
  return IsValidUtf8(text) ? std::string(text) : Windows1251ToUtf8(text);
}

}  // namespace linea

#pragma once
// Path rules for paths stored by other machines: either separator counts.

#include <string>
#include <string_view>

namespace linea {

bool IsPathSeparator(char c);
// Index of the last '/' or '\', or npos.
std::size_t LastSeparator(std::string_view path);
bool HasSeparator(std::string_view path);
// The folder part, up to and including the last separator ("" without one).
std::string FolderPart(std::string_view path);
// The file name, the text after the last separator (the whole text without one).
std::string FileNamePart(std::string_view path);
// The path without its extension (the part from the last '.' of the file name).
std::string WithoutExtension(std::string_view path);
// The extension with its dot, or "".
std::string ExtensionPart(std::string_view path);
// Case-insensitive (ASCII) comparison, as used for folders and extensions.
bool EqualsNoCase(std::string_view a, std::string_view b);
// Whether two folder parts name the same folder, as the file system sees it: the
// same folder on disk when both exist (whatever the spelling, case or links), else
// the same text once separators are turned into '/'.
bool SameFolder(std::string_view a, std::string_view b);
// Turns '\' into '/' so that the path can be opened here.
std::string ToNativePath(std::string_view path);
bool FileCanBeRead(const std::string& path);

bool IsValidUtf8(std::string_view text);
// A stored text as UTF-8: valid UTF-8 stays; anything else is taken as Windows-1251.
std::string StoredTextToUtf8(std::string_view text);
std::string Windows1251ToUtf8(std::string_view text);

}  // namespace linea

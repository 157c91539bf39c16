#pragma once

#include <string>
#include <string_view>

// Path texts are Windows paths in CP932. A 0x5C byte that is the second byte of a double-byte
// character is not a separator.
namespace tavrin::pathtext {

bool hasTrailingBackslash(std::string_view path);
// A lead byte alone at the end (not CP932) goes, so that the result always ends in a separator.
std::string withTrailingBackslash(std::string_view path);
std::string withoutTrailingBackslash(std::string_view path);
// A folder as a person reads it: without a trailing "\", except at a drive root ("C:\").
std::string folderText(std::string_view path);
// Everything up to and including the last "\" or ":"; empty when there is neither.
std::string folderPart(std::string_view path);
// What follows the folder part.
std::string namePart(std::string_view path);
// From the last "." of the name part, dot included; empty when the name has no dot.
std::string extension(std::string_view path);
// Names (files, extensions, profile sections and keys) compare without regard to the case of
// ASCII letters; every other byte, a trail byte included, must match.
bool sameName(std::string_view a, std::string_view b);

} // namespace tavrin::pathtext

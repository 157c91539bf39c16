#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

class FileSystem;

// The code page a game's runtime must run under to find its own files: its database and map
// tree name the pictures, charsets, music and sounds it loads, in the code page of the editor
// that made it, and on disk those files carry the same names in Unicode.
namespace gamecodepage {

// The candidate (codepage::kCandidates) under which the most names of `ldb` and `lmt` match
// one of `fileNames` (UTF-8, without folder or extension, any letter case); kJapanese when no
// name decides. Names spelled alike in several code pages decide nothing between them.
int decide(std::string_view ldb, std::string_view lmt, const std::vector<std::string>& fileNames);

// The same for a project folder (Windows path, CP932, trailing backslash) and the RTP folders
// its runtime reads (each with its trailing backslash): the names of the files in their asset
// folders (CharSet, Picture, Music, ...) against RPG_RT.ldb and RPG_RT.lmt. Never throws; safe
// off the window's thread with a file system that is.
int read(FileSystem& fs, const std::string& projectFolder,
         const std::vector<std::string>& rtpFolders);

} // namespace gamecodepage
} // namespace tavrin

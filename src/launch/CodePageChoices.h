#pragma once

#include "launch/SideFile.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tavrin {

class FileSystem;

// The code page the user chose for a project's game, where the one its files tell is wrong.
// Kept in a file of its own beside the settings ("Tavrin.codepage"), never in the catalogue,
// whose format other copies read: one CP932 line per project, the code page's number, a tab,
// the project folder. A project not named there runs under the code page its files tell.
// Read once when first needed; used on one thread.
class CodePageChoices {
public:
    // `files`: the program's own files; `path`: the file's Windows path there.
    CodePageChoices(FileSystem& files, std::string path);

    const std::string& path() const { return mFile.path(); }

    // The user's choice for the project folder (trailing backslash or not); nothing: 自動.
    std::optional<int> chosen(const std::string& folder);
    // Sets or (nothing) clears the choice and writes the file at once, atomically; a file that
    // could not be read is left as it is.
    void choose(const std::string& folder, std::optional<int> codePage);

    // The file's lines that read as choices of a candidate code page; others are skipped.
    static std::map<std::string, int> parse(std::string_view bytes);
    static std::string format(const std::map<std::string, int>& choices);

private:
    void load();

    SideFile mFile;
    bool mLoaded = false;
    std::map<std::string, int> mChoices; // by folder with its trailing backslash
};

} // namespace tavrin

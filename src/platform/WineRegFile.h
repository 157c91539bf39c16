#pragma once

#include "platform/Registry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// A registry file of a Wine prefix ("user.reg") read and changed as Wine itself reads and writes
// it: key paths and value names match without regard to case, strings are UTF-16 written with
// Wine's escapes, and every byte the program does not change is kept. Texts given and returned
// are CP932; a character CP932 cannot hold reads as "?".
class WineRegFile {
public:
    explicit WineRegFile(std::string bytes);

    // The file as it stands after the writes.
    const std::string& bytes() const { return mBytes; }
    // False when the file does not start as Wine's registry files do; Wine would not load it.
    bool valid() const;

    // The value of the key (relative to the file's root, "\" between names); an empty name is
    // the key's default value. Strings and expandable strings read as strings.
    Registry::Read readString(std::string_view key, std::string_view valueName,
                              std::string& out) const;
    // Sets a string value, replacing the value's lines or adding them to the key's section, or
    // adding the section where Wine's own order puts it, stamped with `nowUnixSeconds`. False,
    // with the file untouched, when the file is not valid or the key path is empty.
    bool writeString(std::string_view key, std::string_view valueName, std::string_view data,
                     std::int64_t nowUnixSeconds);

private:
    std::string mBytes;
};

// Keeps, of a registry file handed over a piece at a time, its first line and the sections of
// one key: all that readString needs of it, whatever the size of the file.
class WineRegKeyFilter {
public:
    explicit WineRegKeyFilter(std::string_view key);
    void feed(std::string_view piece);
    WineRegFile finish();

private:
    void line(std::string_view text);
    std::size_t nextHeader(std::string_view piece, std::size_t from) const;

    std::vector<std::u16string> mPath;
    std::string mPartial;
    std::string mKept;
    bool mFirst = true;
    bool mInside = false;
    bool mAtLineStart = true; // the last piece ended with its line
};

} // namespace tavrin

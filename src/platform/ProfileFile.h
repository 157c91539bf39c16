#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrin {

// A profile file ("ini") under the Windows rules: section and key names match without regard
// to ASCII case, blanks around keys and values are trimmed, lines end in CR LF, and every byte
// the program does not change is kept. Texts are CP932.
class ProfileFile {
public:
    ProfileFile() = default;
    explicit ProfileFile(std::string bytes);

    // The file as it stands after the writes.
    const std::string& bytes() const { return mBytes; }

    bool sectionExists(std::string_view section) const;
    // The value, or nothing when the key is absent. Read up to 2047 bytes. One pair of enclosing
    // quotes is removed, and a CR inside the line reads as a blank.
    std::optional<std::string> readValue(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key,
                           const std::string& fallback) const;
    // "$", "x", "X", "0x", "0X" after an optional sign mean hexadecimal; anything malformed or
    // beyond 32 bits gives the fallback.
    std::int32_t readInteger(std::string_view section, std::string_view key,
                             std::int32_t fallback) const;
    // An integer read; any non-zero value is true.
    bool readBool(std::string_view section, std::string_view key, bool fallback) const;

    // Replaces the key's line in place, or adds it at the end of its section, or adds the
    // section at the end of the file. Line breaks in the value become blanks; a value that would
    // not read back as it is (blanks at an end, or enclosed in quotes) is written in quotes.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, std::int32_t value);
    void writeBool(std::string_view section, std::string_view key, bool value);
    // Removes the section's header and all its lines.
    void eraseSection(std::string_view section);

private:
    std::string mBytes;
};

// The integer rules of readInteger, on a value already trimmed.
std::optional<std::int32_t> parseProfileInteger(std::string_view text);

class FileSystem;

// The profile file at a path; a missing file reads as empty. Throws AppError for a file that is
// there but cannot be read.
ProfileFile readProfile(FileSystem& fs, const std::string& path);
// Writes the profile atomically when its bytes differ from what is on disk. Throws AppError
// "%s に書き込めません" with the path when it cannot; the old file then stays whole.
void writeProfile(FileSystem& fs, const std::string& path, const ProfileFile& file);

} // namespace tavrin

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrin {

class FileSystem;

// A file of the program's own beside its settings (Tavrin.played, Tavrin.codepage), rewritten
// whole: one that is there but cannot be read is kept, never replaced.
class SideFile {
public:
    // No such file is near this size; a larger one is kept unread.
    static constexpr std::uint64_t kLimit = std::uint64_t{16} << 20;

    SideFile(FileSystem& files, std::string path) : mFiles(files), mPath(std::move(path)) {}

    const std::string& path() const { return mPath; }

    // Its bytes; empty when it is not there or cannot be read.
    std::string read();
    // Replaces it atomically, unless it could not be read; a failed write leaves the old file.
    void write(std::string_view bytes);

private:
    FileSystem& mFiles;
    std::string mPath;
    bool mKeep = false;
};

} // namespace tavrin

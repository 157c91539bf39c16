#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Readers of the files a game project holds. Every byte comes from a folder anyone may have
// made: nothing here trusts a size or an offset it reads.
namespace tavrin::gamefiles {

// A picture's pixels as 0xRRGGBB, row by row from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
};

// No picture a game shows is larger; a bigger one is refused unread.
inline constexpr int kLargestPictureSide = 4096;

// The makers' own picture format: "XYZ1", width and height (16-bit little-endian), then zlib
// data holding a 256-colour palette (768 bytes, R G B) and one palette index per pixel.
std::optional<Picture> decodeXyz(std::string_view bytes);

// The title picture that the database (RPG_RT.ldb) names in its system data, as stored (CP932,
// no extension); nothing when the bytes are no database or name none.
std::optional<std::string> titlePictureName(std::string_view ldb);

enum class RuntimeKind { rpg2000, rpg2003, unknown };

// What a runtime (RPG_RT.EXE) says of itself.
struct Runtime {
    RuntimeKind kind = RuntimeKind::unknown;
    std::string version;              // from its version data; empty when it has none
    std::vector<std::string> imports; // the DLLs its import table names, as written
    // It names Harmony.dll, which the 2000 and early 2003 runtimes load when they start,
    // outside their import table.
    bool loadsHarmony = false;
};
// The registry keys (under HKEY_CURRENT_USER) whose "RuntimePackagePath" a runtime of this kind
// reads for its RTP's folder; all three for a kind unknown.
std::vector<std::string_view> rtpKeys(RuntimeKind kind);

// Nothing when the bytes are no 32-bit Windows program. The kind comes from the registry key
// under which the runtime looks for its RTP, named in its bytes, else from its version data.
std::optional<Runtime> readRuntime(std::string_view exe);

// The edition a database (RPG_RT.ldb) was made with: 2003 when it carries what only 2003 writes,
// 2000 when it reads whole without; unknown when it is no database or is damaged.
RuntimeKind databaseKind(std::string_view ldb);

// Whether RPG_RT.ini says the game carries everything it needs ("FullPackageFlag=1" in
// [RPG_RT]), so it needs no run-time package.
bool isFullPackage(std::string_view ini);

} // namespace tavrin::gamefiles

// Game files made by the tests: the makers' pictures (XYZ), databases (RPG_RT.ldb) and Windows
// programs with resources and imports, laid out byte by byte as the real ones are.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace tavrin::test {

void put16(std::string& s, std::uint32_t v);
void put32(std::string& s, std::uint32_t v);
void set16(std::string& s, std::size_t at, std::uint32_t v);
void set32(std::string& s, std::size_t at, std::uint32_t v);
std::uint32_t get32(const std::string& s, std::size_t at);

// "XYZ1", the sides, then `data` as it is.
std::string xyzHeader(unsigned width, unsigned height, std::string_view data);
// A picture: the palette (768 bytes) and one index a pixel, compressed by zlib.
std::string makeXyz(unsigned width, unsigned height, std::string_view palette,
                    std::string_view indices);

// The database's numbers (seven bits a byte, most significant first) and chunks.
std::string lcfNumber(std::uint32_t v);
std::string lcfChunk(std::uint32_t id, std::string_view data);
// A database whose System chunk names `title` (no such field when empty), behind a chunk long
// enough that its size takes two bytes.
std::string makeLdb(std::string_view title);
// The same as the 2003 editor writes it: with the System chunk's "ldb_id" 2003 and the battle
// commands chunk, each when asked for.
std::string makeLdb2003(std::string_view title, bool ldbId = true, bool battleCommands = true);
// A database naming `files` (as stored: the editor's code page, no extension), in turn as an
// actor's charset and as the music a common event's command plays.
std::string makeLdbNaming(const std::vector<std::string>& files);
// A map tree whose maps each play one of `music`.
std::string makeLmt(const std::vector<std::string>& music);

// A resource tree node: a directory of keyed children, or a leaf of data. Keys are IDs or
// ASCII names; names are given first, as they are stored.
using ResourceKey = std::variant<std::uint16_t, std::string>;
struct ResourceNode {
    std::vector<ResourceKey> keys;
    std::vector<ResourceNode> children;
    std::string data;
};
ResourceNode resourceLeaf(std::string data);
ResourceNode resourceDir(std::vector<std::pair<ResourceKey, ResourceNode>> entries);
// A one-language directory, as most resources have.
ResourceNode resourceLang(std::string data);

// A PE file whose .rsrc section holds `tree`. The optional header is 224 or 240 bytes unless
// `optionalSize` cuts it shorter; a `codeSize` puts a .text section of that many bytes first,
// .rsrc starting where its bytes end (at file offset 0x200 without one). `imports` names the
// DLLs of an import table in an .idata section after .rsrc.
std::string makePe(const ResourceNode& tree, bool plus, std::uint32_t optionalSize = 0,
                   std::uint32_t codeSize = 0, const std::vector<std::string>& imports = {});

// A version resource (VS_VERSIONINFO): the fixed file info with this file version, and one
// string table (Japanese, Unicode) of these keys and values.
std::string versionResource(std::array<std::uint16_t, 4> fileVersion,
                            const std::vector<std::pair<std::string, std::u16string>>& strings);
// A 32-bit runtime with these imports and, when `version` is not empty, that version resource;
// `code` is put as it is into a section before them, as a program's own texts are.
std::string makeRuntime(const std::vector<std::string>& imports, const std::string& version,
                        std::string_view code = {});

} // namespace tavrin::test

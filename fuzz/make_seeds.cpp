// Writes each target's first inputs, made by the program's own writers where it has them.
#include "catalogue/CatalogueFile.h"
#include "catalogue/FolderTree.h"
#include "catalogue/ItemClipboard.h"
#include "platform/CodePages.h"
#include "platform/Cp932.h"
#include "platform/ProfileFile.h"
#include "support/GameFileBuilders.h"
#include "support/SaveFileBuilder.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

using namespace tavrin;
namespace fs = std::filesystem;

namespace {

fs::path gRoot;

void seed(const std::string& target, const std::string& name, const std::string& bytes) {
    fs::create_directories(gRoot / target);
    std::ofstream(gRoot / target / name, std::ios::binary) << bytes;
}

using test::put16;
using test::put32;

// An .ico of the given sizes, each image a few bytes.
std::string ico(std::initializer_list<unsigned> sizes) {
    std::string s;
    put16(s, 0);
    put16(s, 1);
    put16(s, static_cast<std::uint32_t>(sizes.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(sizes.size());
    for (unsigned size : sizes) {
        s += static_cast<char>(size & 0xFF);
        s += static_cast<char>(size & 0xFF);
        s.append(2, '\0');
        put16(s, 1);
        put16(s, 32);
        put32(s, 8);
        put32(s, offset);
        offset += 8;
    }
    for (unsigned size : sizes)
        s += "image" + std::to_string(size % 100 + 100);
    return s;
}

// A PE32 file whose resources hold icon 1 and group 1 naming it.
std::string program() {
    std::string image = "16px img";
    std::string group;
    put16(group, 0);
    put16(group, 1);
    put16(group, 1);
    group += std::string("\x10\x10\0\0", 4);
    put16(group, 1);
    put16(group, 32);
    put32(group, static_cast<std::uint32_t>(image.size()));
    put16(group, 1);

    // Root (types 3, 14) -> id 1 -> language 0x411 -> data.
    const std::uint32_t rva = 0x1000;
    std::string sec;
    const auto directory = [&sec](std::uint32_t id, std::uint32_t child) {
        sec.append(12, '\0');
        put16(sec, 0);
        put16(sec, 1);
        put32(sec, id);
        put32(sec, child);
    };
    // Laid out by hand: root at 0 (two entries), then the per-type chains.
    sec.append(12, '\0');
    put16(sec, 0);
    put16(sec, 2);
    put32(sec, 3);
    put32(sec, 0x80000000u | 0x20);
    put32(sec, 14);
    put32(sec, 0x80000000u | 0x50);
    directory(1, 0x80000000u | 0x38); // 0x20
    directory(0x411, 0x80);           // 0x38
    directory(1, 0x80000000u | 0x68); // 0x50
    directory(0x411, 0x90);           // 0x68
    put32(sec, rva + 0xA0);           // 0x80: icon data entry
    put32(sec, static_cast<std::uint32_t>(image.size()));
    put32(sec, 0);
    put32(sec, 0);
    put32(sec, rva + 0xA0 + static_cast<std::uint32_t>(image.size())); // 0x90: group entry
    put32(sec, static_cast<std::uint32_t>(group.size()));
    put32(sec, 0);
    put32(sec, 0);
    sec += image + group;

    std::string s = "MZ";
    s.resize(0x3C, '\0');
    put32(s, 0x40);
    s += std::string("PE\0\0", 4);
    put16(s, 0x14C);
    put16(s, 1);
    s.append(12, '\0');
    put16(s, 224);
    put16(s, 0x102);
    const std::size_t optional = s.size();
    s.resize(optional + 224, '\0');
    s[optional] = 0x0B;
    s[optional + 1] = 0x01;
    const std::size_t dirs = optional + 96;
    std::string v;
    put32(v, 16);
    s.replace(dirs - 4, 4, v);
    v.clear();
    put32(v, rva);
    put32(v, static_cast<std::uint32_t>(sec.size()));
    s.replace(dirs + 16, 8, v);
    s += std::string(".rsrc\0\0\0", 8);
    put32(s, static_cast<std::uint32_t>(sec.size()));
    put32(s, rva);
    put32(s, static_cast<std::uint32_t>(sec.size()));
    put32(s, 0x200);
    s.append(16, '\0');
    s.resize(0x200, '\0');
    return s + sec;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    gRoot = argv[1];

    FolderTree tree;
    TreeNode* root = tree.append(nullptr, "Tavrin");
    TreeNode* rpg = tree.append(root, "RPG");
    tree.append(rpg, sj("日本語のフォルダ"));
    tree.append(nullptr, "second");
    rpg->folder.items.push_back({"C:\\Games\\A\\", "A", pk2000});
    rpg->folder.items.push_back({sj("Z:\\home\\me\\表示\\"), sj("表示"), pk95});
    root->folder.items.push_back({"D:\\x\\", "", pkNone});
    seed("catalogue", "tree", serializeCatalogue(tree));
    FolderTree empty;
    seed("catalogue", "empty", serializeCatalogue(empty));

    const std::vector<ProjectItem> items = {{"C:\\A\\", "a", pk2000},
                                            {sj("D:\\ソフト\\"), sj("ソ"), pk95}};
    seed("clipboard", "items", itemDataOf(items));
    seed("clipboard", "text", "C:\\plain\r\nline\x1C\x1Cx\r\n");

    ProfileFile ini;
    ini.writeString("Option", "Path", sj("C:\\表示\\"));
    ini.writeInteger("Option", "Width", -12);
    ini.writeString("Other", "Quoted", " both ends ");
    ini.writeString("Window", "Color", "$80000008");
    const std::string profileBytes = ini.bytes() + "; comment\r\n[Empty]\r\nline without key\n";
    seed("profile", "settings", std::string("\x01Option\0Path\0new value\0", 23) + profileBytes);
    seed("profile", "new", std::string("\x00New\0Key\0 v \0", 13) + profileBytes);

    const std::string reg = "WINE REGISTRY Version 2\n"
                            ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                            "#arch=win64\n\n"
                            "[Software\\\\ASCII\\\\RPG2000] 1796685639\n"
                            "#time=1dd86a1926ef976\n"
                            "\"ApplicationPath\"=\"C:\\\\Program Files\\\\\\x30c4\\\\\"\n"
                            "\"Multi\"=str(7):\"a\\0b\\0\"\n"
                            "\"Odd\"=hex(1):41,00,e5,65,2c,67\n"
                            "@=\"default\"\n\n"
                            "[Software\\\\Wine] 1796685562\n"
                            "\"Wait\"=dword:000004b0\n"
                            "\"Bin\"=hex:f5,ff,ff,ff,00,00,\\\n  00,22\n";
    seed("winereg", "replace",
         std::string("Software\\ASCII\\RPG2000\0ApplicationPath\0", 40) + sj("D:\\新しい\\") +
             std::string(1, '\0') + reg);
    seed("winereg", "newkey",
         std::string("Software\\Enterbrain\\RPG2000\0Opened\0x\"y\0", 39) + reg);

    seed("icon", "ico", ico({32, 16, 48}));
    seed("icon", "program", program());

    std::string palette;
    for (int i = 0; i < 256; ++i)
        palette += {static_cast<char>(i), static_cast<char>(i * 7), static_cast<char>(255 - i)};
    const std::string indices("\0\1\2\3\4\xFF\xFE\x80\7\7\7\0\0\1\1", 15);
    seed("xyz", "picture", '\0' + test::makeXyz(5, 3, palette, indices));
    seed("xyz", "plain", "\x0D\x04\x02" + palette + "\3\3\4\4\5\5\6\6");
    seed("ldb", "title", test::makeLdb(sj("タイトル")));
    seed("ldb", "none", test::makeLdb(""));
    seed("ldb", "rpg2003", test::makeLdb2003(sj("タイトル")));
    seed("savegame", "hero", test::makeLsd({46364.77, sj("勇者"), 12, 340}));
    seed("savegame", "bare", test::makeLsd({}));
    seed("find", "kana",
         sj("ｸｴｽﾄ") + '\0' + "C:\\Quest\\\x1C" + sj("クエスト 第１話") + "\x1C\x01\x1D" +
             sj("C:\\ソフト表示\\\x1Cｸﾞｴｽﾄ\x1C\x1D") +
             "C:\\QUEST-LONG-PATH-OF-ASCII\\\x1CT\x1C\x1D");
    // The names' count, where the database ends (a 256th), the names, the database, the map tree.
    const auto codePageSeed = [](int codePage, const std::vector<std::string>& names) {
        std::vector<std::string> stored;
        std::string input = {static_cast<char>(names.size()), '\x80'};
        for (const std::string& name : names) {
            stored.push_back(codepage::fromUtf8(codePage, name).value_or(name));
            input += name + '\0';
        }
        const std::string ldb = test::makeLdbNaming(stored);
        const std::string lmt = test::makeLmt({stored.back()});
        input[1] = static_cast<char>(ldb.size() * 256 / (ldb.size() + lmt.size()));
        return input + ldb + lmt;
    };
    seed("codepage", "russian", codePageSeed(1251, {"Меч", "ЗАМОК", "Hero"}));
    seed("codepage", "japanese", codePageSeed(932, {"勇者", "ＨＥＲＯ", "魔王の城"}));
    seed("sidefiles", "played",
         sj("2026-12-08T18:29:29Z\tC:\\ゲーム\\勇者\\\r\n1999-01-01T00:00:00Z\tD:\\x\r\n"));
    seed("sidefiles", "codepage", sj("1252\tZ:\\Spiele\\Fr<U+00F6>hlich\\\r\n932\tC:\\表\\\r\n"));
    seed("runtime", "rpg2003",
         test::makeRuntime({"KERNEL32.dll", "harmony.dll"},
                           test::versionResource({1, 0, 8, 0}, {{"ProductName", u"RPG Maker 2003"},
                                                                {"FileDescription", u"RPG_RT"}})));
    seed("runtime", "bare", test::makeRuntime({"USER32.dll"}, ""));
    seed("runtime", "key",
         test::makeRuntime({}, "", std::string("Software\\ASCII\\RPG2000\0Harmony.dll", 34)));

    seed("cp932", "mixed", sj("半角ｶﾅと全角、表示①ⅰ￢") + "ascii\\");
    seed("cp932", "utf8", "UTF-8 \xE3\x81\x82\xF0\x9F\x98\x80");
    seed("cp932", "escapes", "Fr<U+00F6>hliche <u+1f600> <U+003C>X+FF> \xFF\xC2\xA5\\");

    seed("paths", "path",
         std::string("\x07\x43"
                     "C:\\\0",
                     5) +
             sj("C:\\表\\ソ.exe"));
    seed("paths", "args",
         std::string("\x13\x43/home\0", 8) + sj("\"a b\" c\\\\\"d\\\" e\"\"f 表\\ \"ソ\""));
    seed("paths", "host", std::string("\x00\x44/home/me\0/home/me/games/x/", 27));
    return 0;
}

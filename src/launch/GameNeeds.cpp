#include "launch/GameNeeds.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/PeFile.h"
#include "platform/Registry.h"
#include "platform/TextLines.h"

#include <algorithm>
#include <cstdint>
#include <set>

namespace tavrin {

namespace {

// A runtime measures about a megabyte, a patched one a few; anything far larger is no runtime.
constexpr std::uint64_t kRuntimeFileLimit = std::uint64_t{64} << 20;
// Databases of the largest games measure a few megabytes.
constexpr std::uint64_t kDatabaseFileLimit = std::uint64_t{64} << 20;

// How every Git LFS pointer begins, which a repository checked out without LFS holds in place of
// the program: its format's address on the first line.
constexpr std::string_view kLfsPointer = "version https://git-lfs.github.com/";

// Nothing when the file is not there or is refused (a folder, a FIFO, too large): a game folder
// may hold anything under these names.
std::optional<std::string> readQuietly(FileSystem& fs, const std::string& path,
                                       std::uint64_t limit) {
    try {
        return fs.readFile(path, limit);
    } catch (const AppError&) {
        return std::nullopt;
    }
}

// RPG_RT.EXE read once: the runtime, or what the file is instead.
void readRuntimeFile(FileSystem& fs, const std::string& path, GameNeeds& needs) {
    using File = GameNeeds::RuntimeFile;
    std::optional<std::string> exe;
    try {
        exe = fs.readFile(path, kRuntimeFileLimit);
    } catch (const AppError& e) {
        needs.runtimeFile = File::unreadable;
        needs.unreadableBecause = e.what();
        return;
    }
    if (!exe) {
        return;
    }
    needs.runtime = gamefiles::readRuntime(*exe);
    if (needs.runtime) {
        needs.runtimeFile = File::program32;
    } else if (exe->empty()) {
        needs.runtimeFile = File::empty;
    } else if (exe->starts_with(kLfsPointer)) {
        needs.runtimeFile = File::lfsPointer;
    } else {
        const std::optional<PeFile> pe = PeFile::read(*exe);
        needs.runtimeFile = pe && pe->isPe32Plus() ? File::program64 : File::noProgram;
    }
}

// A compressed runtime shows neither its key nor its name, and a folder may have lost its
// runtime: the database still tells the edition.
gamefiles::RuntimeKind kindOfDatabase(FileSystem& fs, const std::string& folder) {
    const std::optional<std::string> ldb =
        readQuietly(fs, folder + "RPG_RT.ldb", kDatabaseFileLimit);
    return ldb ? gamefiles::databaseKind(*ldb) : gamefiles::RuntimeKind::unknown;
}

// The runtimes learn the RTP's folder from "RuntimePackagePath" under HKEY_CURRENT_USER, where
// the RTP installers write it: a 2000 runtime from ASCII's RPG2000 key, or Enterbrain's, under
// which the edition it published later registers; a 2003 runtime from Enterbrain's RPG2003.
// HKEY_CURRENT_USER\Software is one key for 32- and 64-bit programs, so a 64-bit prefix holds it
// where a 32-bit installer wrote it, and nothing in HKEY_LOCAL_MACHINE is read. A game we
// cannot tell counts any of the three. A key left behind by an RTP since removed names a folder
// that is gone: the runtime then fails as if there were no key.
std::vector<std::string> rtpFolders(FileSystem& fs, Registry& registry,
                                    gamefiles::RuntimeKind kind) {
    std::vector<std::string> folders;
    for (std::string_view key : gamefiles::rtpKeys(kind)) {
        std::string folder;
        if (registry.readString(std::string(key), "RuntimePackagePath", folder) !=
                Registry::Read::ok ||
            folder.empty()) {
            continue;
        }
        folder = pathtext::withTrailingBackslash(folder);
        const bool known = std::any_of(folders.begin(), folders.end(), [&](const std::string& f) {
            return pathtext::sameName(f, folder);
        });
        if (!known && fs.folderExists(folder)) {
            folders.push_back(folder);
        }
    }
    return folders;
}

std::string lowerAscii(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return name;
}

// The files of a folder by their names in lower case; nothing when it cannot be listed.
std::optional<std::set<std::string>> namesIn(FileSystem& fs, const std::string& folder) {
    const std::optional<std::vector<FileSystem::Entry>> entries = fs.tryListFolder(folder);
    if (!entries) {
        return std::nullopt;
    }
    std::set<std::string> names;
    for (const FileSystem::Entry& e : *entries) {
        if (!e.isFolder) {
            names.insert(lowerAscii(e.name));
        }
    }
    return names;
}

// Where Wine's loader finds a 32-bit runtime's DLLs: its own folder, the system folder a 32-bit
// program sees (syswow64 in a 64-bit prefix), and the Windows folder. Wine puts a file there for
// each DLL it has built in, so the system DLLs need no list of their own. Each folder is listed
// once, and only while something is still unfound. Without a system folder (no prefix yet) the
// DLLs are not judged at all.
std::vector<std::string> dllsMissing(FileSystem& fs, const std::string& gameFolder,
                                     const std::vector<std::string>& imports) {
    std::optional<std::set<std::string>> system = namesIn(fs, "C:\\windows\\syswow64\\");
    if (!system) {
        system = namesIn(fs, "C:\\windows\\system32\\");
    }
    if (!system) {
        return {};
    }
    std::vector<std::string> missing;
    std::set<std::string> seen;
    for (const std::string& dll : imports) {
        if (seen.insert(lowerAscii(dll)).second && !system->count(lowerAscii(dll))) {
            missing.push_back(dll);
        }
    }
    for (const std::string& folder : {gameFolder, std::string("C:\\windows\\")}) {
        if (missing.empty()) {
            break;
        }
        const std::set<std::string> names = namesIn(fs, folder).value_or(std::set<std::string>());
        std::erase_if(missing,
                      [&](const std::string& dll) { return names.count(lowerAscii(dll)) > 0; });
    }
    return missing;
}

} // namespace

GameNeeds readGameNeeds(FileSystem& fs, Registry& registry, const std::string& projectFolder) {
    GameNeeds needs;
    const std::string folder = pathtext::withTrailingBackslash(projectFolder);
    readRuntimeFile(fs, folder + "RPG_RT.EXE", needs);
    if (needs.runtime) {
        needs.kind = needs.runtime->kind;
    }
    if (needs.kind == gamefiles::RuntimeKind::unknown) {
        needs.kind = kindOfDatabase(fs, folder);
    }
    // Without RPG_RT.ini the runtime looks for the RTP, as it does without the flag.
    const std::optional<std::string> ini =
        readQuietly(fs, folder + "RPG_RT.ini", kProfileFileLimit);
    if (!ini || !gamefiles::isFullPackage(*ini)) {
        needs.rtpFolders = rtpFolders(fs, registry, needs.kind);
        needs.rtp = needs.rtpFolders.empty() ? GameNeeds::Rtp::missing : GameNeeds::Rtp::installed;
    }
    // RPG_RT.ini is not searched for DLLs: the runtimes load none named there, and a patch that
    // brings one adds it to the runtime's import table.
    if (needs.runtime) {
        std::vector<std::string> dlls = needs.runtime->imports;
        if (needs.runtime->loadsHarmony) {
            dlls.emplace_back("Harmony.dll");
        }
        needs.missingDlls = dllsMissing(fs, folder, dlls);
    }
    return needs;
}

std::string editionName(gamefiles::RuntimeKind kind) {
    switch (kind) {
    case gamefiles::RuntimeKind::rpg2000:
        return sj("RPGツクール2000");
    case gamefiles::RuntimeKind::rpg2003:
        return sj("RPGツクール2003");
    case gamefiles::RuntimeKind::unknown:
        break;
    }
    return {};
}

std::vector<std::string> missingParts(const GameNeeds& needs) {
    std::vector<std::string> lines;
    if (needs.rtp == GameNeeds::Rtp::missing) {
        const std::string edition = editionName(needs.kind);
        lines.push_back((edition.empty() ? "" : edition + sj(" の ")) +
                        sj("RTP (ランタイムパッケージ) がインストールされていません。"));
    }
    const std::vector<std::string>& dlls = needs.missingDlls;
    for (std::size_t i = 0; i < dlls.size() && i < kNamesShown; ++i) {
        lines.push_back(shownName(dlls[i]) + sj(" が見つかりません。"));
    }
    if (dlls.size() > kNamesShown) {
        lines.push_back(moreNames(dlls.size() - kNamesShown));
    }
    return lines;
}

std::optional<std::string> runtimeRefusal(const GameNeeds& needs, const std::string& runtimePath) {
    using File = GameNeeds::RuntimeFile;
    const char* pattern = nullptr;
    switch (needs.runtimeFile) {
    case File::missing:
    case File::program32:
        return std::nullopt;
    case File::unreadable:
        if (!needs.unreadableBecause.empty()) {
            return needs.unreadableBecause;
        }
        pattern = "%s を読み込めません。";
        break;
    case File::empty:
        pattern = "%s は Windows のプログラムではありません（空のファイルです）。";
        break;
    case File::lfsPointer:
        pattern = "%s は Windows のプログラムではありません（Git LFS のポインタです。"
                  "リポジトリから本体を取得してください）。";
        break;
    case File::noProgram:
        pattern = "%s は Windows のプログラムではありません。";
        break;
    case File::program64:
        pattern = "%s は 64 ビットのプログラムです。RPGツクールのランタイムは 32 ビットです。";
        break;
    }
    return formatMessage(sj(pattern), runtimePath);
}

} // namespace tavrin

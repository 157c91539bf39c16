#include "launch/GameNeeds.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/Registry.h"

#include <algorithm>
#include <cstdint>
#include <set>

namespace tavrin {

namespace {

// A runtime measures about a megabyte, a patched one a few; anything far larger is no runtime.
constexpr std::uint64_t kRuntimeFileLimit = std::uint64_t{64} << 20;

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

// The runtimes learn the RTP's folder from "RuntimePackagePath" under HKEY_CURRENT_USER, where
// the RTP installers write it: a 2000 runtime from ASCII's RPG2000 key, or Enterbrain's, under
// which the edition it published later registers; a 2003 runtime from Enterbrain's RPG2003.
// HKEY_CURRENT_USER\Software is one key for 32- and 64-bit programs, so a 64-bit prefix holds it
// where a 32-bit installer wrote it, and nothing in HKEY_LOCAL_MACHINE is read. A runtime we
// cannot tell counts any of the three.
std::vector<const char*> rtpKeys(const std::optional<gamefiles::Runtime>& runtime) {
    const gamefiles::RuntimeKind kind = runtime ? runtime->kind : gamefiles::RuntimeKind::unknown;
    switch (kind) {
    case gamefiles::RuntimeKind::rpg2000:
        return {"Software\\ASCII\\RPG2000", "Software\\Enterbrain\\RPG2000"};
    case gamefiles::RuntimeKind::rpg2003:
        return {"Software\\Enterbrain\\RPG2003"};
    case gamefiles::RuntimeKind::unknown:
        break;
    }
    return {"Software\\ASCII\\RPG2000", "Software\\Enterbrain\\RPG2000",
            "Software\\Enterbrain\\RPG2003"};
}

// A key left behind by an RTP since removed names a folder that is gone: the runtime then
// fails as if there were no key.
bool rtpInstalled(FileSystem& fs, Registry& registry,
                  const std::optional<gamefiles::Runtime>& runtime) {
    for (const char* key : rtpKeys(runtime)) {
        std::string folder;
        if (registry.readString(key, "RuntimePackagePath", folder) == Registry::Read::ok &&
            !folder.empty() && fs.folderExists(folder)) {
            return true;
        }
    }
    return false;
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
    if (const std::optional<std::string> exe =
            readQuietly(fs, folder + "RPG_RT.EXE", kRuntimeFileLimit)) {
        needs.runtime = gamefiles::readRuntime(*exe);
    }
    // Without RPG_RT.ini the runtime looks for the RTP, as it does without the flag.
    const std::optional<std::string> ini =
        readQuietly(fs, folder + "RPG_RT.ini", kProfileFileLimit);
    if (!ini || !gamefiles::isFullPackage(*ini)) {
        needs.rtp = rtpInstalled(fs, registry, needs.runtime) ? GameNeeds::Rtp::installed
                                                              : GameNeeds::Rtp::missing;
    }
    // RPG_RT.ini is not searched for DLLs: the runtimes load none named there, and a patch that
    // brings one adds it to the runtime's import table.
    if (needs.runtime) {
        needs.missingDlls = dllsMissing(fs, folder, needs.runtime->imports);
    }
    return needs;
}

std::vector<std::string> missingParts(const GameNeeds& needs) {
    std::vector<std::string> lines;
    if (needs.rtp == GameNeeds::Rtp::missing) {
        lines.push_back(sj("RTP (ランタイムパッケージ) がインストールされていません。"));
    }
    for (const std::string& dll : needs.missingDlls) {
        lines.push_back(dll + sj(" が見つかりません。"));
    }
    return lines;
}

} // namespace tavrin

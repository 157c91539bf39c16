#include "platform/linux/WineRegistry.h"

#include "platform/Cp932.h"
#include "platform/WineRegFile.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/Spawn.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tavrin {

namespace {

std::string joinHost(std::string folder, std::string_view name) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    folder += name;
    return folder;
}

// A file refused (a FIFO, a device, one too large) reads as absent; nothing waits on it.
std::optional<std::string> readHostFile(const std::string& path,
                                        std::uint64_t limit = kWineRegistryFileLimit) {
    try {
        return LinuxFileSystem::readHostFile(path, limit);
    } catch (const AppError&) {
        return std::nullopt;
    }
}

// The running server holds a write lock on "lock" in its folder; asking who holds it starts
// nothing.
bool lockHeld(const std::string& lockPath) {
    const int fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    const bool held = ::fcntl(fd, F_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

// The C string a Windows program would pass: up to the first null.
std::string cString(const std::string& s) {
    return s.substr(0, s.find('\0'));
}

// The key as Wine's reg names it. Trimmed in UTF-8, where a "\" is always a separator; in
// CP932 it may end a character. Empty for no key.
std::string wineKeyPath(const std::string& key) {
    const std::string path = cp932::toUtf8(cString(key));
    const std::size_t first = path.find_first_not_of('\\');
    if (first == std::string::npos) {
        return {};
    }
    return "HKCU\\" + path.substr(first, path.find_last_not_of('\\') - first + 1);
}

constexpr std::string_view kExportedKey = "k";

// Wine's export of a key (UTF-16 with a byte order mark) as Wine's own registry file that holds
// the key's values under kExportedKey; nothing when it is not such an export. The export's
// escapes are the file's, so value lines carry over, with what is past ASCII written as Wine
// writes it. The key's own name is not escaped there, so it is left out.
std::optional<std::string> exportAsRegFile(std::string_view bytes) {
    if (!bytes.starts_with("\xff\xfe")) {
        return std::nullopt;
    }
    std::string ascii;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const unsigned unit =
            static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (unit < 0x80) {
            ascii += static_cast<char>(unit);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%04x", unit);
            ascii += escaped;
        }
    }
    std::string text = "WINE REGISTRY Version 2\n";
    bool inKey = false;
    for (std::size_t begin = 0, next = 0; begin < ascii.size(); begin = next) {
        const std::size_t end = std::min(ascii.find('\n', begin), ascii.size());
        next = end + 1;
        std::string_view line = std::string_view(ascii).substr(begin, end - begin);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (begin == 0) {
            if (line != "Windows Registry Editor Version 5.00") {
                return std::nullopt;
            }
        } else if (line.starts_with('[')) {
            // Its subkeys follow the key's values.
            if (inKey) {
                break;
            }
            inKey = true;
            text += "[" + std::string(kExportedKey) + "]\n";
        } else if (inKey) {
            text += line;
            text += '\n';
        }
    }
    if (!inKey) {
        return std::nullopt;
    }
    return text;
}

} // namespace

WineRegistry::WineRegistry(std::string prefix, std::chrono::milliseconds wineTimeout)
    : mPrefix(std::move(prefix)), mWineTimeout(wineTimeout) {}

bool WineRegistry::serverRuns(const std::string& prefix) {
    struct stat st {};
    if (::stat(prefix.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return false;
    }
    char serverName[64];
    std::snprintf(serverName, sizeof serverName, "server-%llx-%llx",
                  static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    // Wine's own place is /tmp/.wine-<uid>; Debian's Wine makes a private folder under the temp
    // folder instead and names it in the prefix's "wineserver" file.
    std::vector<std::string> folders;
    folders.push_back("/tmp/.wine-" + std::to_string(::getuid()));
    if (std::optional<std::string> named = readHostFile(joinHost(prefix, "wineserver"))) {
        std::string name = named->substr(0, named->find_first_of("\r\n"));
        if (!name.empty() && name.find('/') == std::string::npos && name != "." && name != "..") {
            const char* tmp = std::getenv("TMPDIR");
            if (tmp && *tmp) {
                folders.push_back(joinHost(tmp, name));
            }
            folders.push_back(joinHost("/tmp", name));
        }
    }
    for (const std::string& folder : folders) {
        if (lockHeld(joinHost(joinHost(folder, serverName), "lock"))) {
            return true;
        }
    }
    return false;
}

Registry::Read WineRegistry::readString(const std::string& key, const std::string& valueName,
                                        std::string& out) {
    // The running server keeps the registry in memory and saves the file only now and then.
    if (serverRuns(mPrefix)) {
        if (const std::optional<Read> read = readThroughWine(key, valueName, out)) {
            return *read;
        }
    }
    // Only the key's own sections are kept: a prefix's registry may run to many megabytes.
    WineRegKeyFilter filter(key);
    try {
        if (!LinuxFileSystem::readHostFileInPieces(
                joinHost(mPrefix, "user.reg"), kWineRegistryFileLimit,
                [&filter](std::string_view piece, std::uint64_t) { filter.feed(piece); })) {
            return Read::absent;
        }
    } catch (const AppError&) {
        // A file refused (a FIFO, a device, one too large) reads as absent.
        return Read::absent;
    }
    return filter.finish().readString(key, valueName, out);
}

bool WineRegistry::writeString(const std::string& key, const std::string& valueName,
                               const std::string& data) {
    struct stat st {};
    if (::stat(mPrefix.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return false;
    }
    const std::string name = cString(valueName);
    const std::string text = cString(data);
    if (serverRuns(mPrefix)) {
        return writeThroughWine(key, name, text);
    }
    const std::optional<std::string> bytes = readHostFile(joinHost(mPrefix, "user.reg"));
    // Without the file, Wine makes it as it wants it.
    if (!bytes) {
        return writeThroughWine(key, name, text);
    }
    WineRegFile file(*bytes);
    if (!file.writeString(cString(key), name, text,
                          static_cast<std::int64_t>(std::time(nullptr)))) {
        return false;
    }
    LinuxFileSystem prefixFiles(DriveTable({{'C', mPrefix}}));
    if (!prefixFiles.writeFileAtomic("C:\\user.reg", file.bytes())) {
        return false;
    }
    // A server that started meanwhile loaded the old file and would save it back.
    if (serverRuns(mPrefix)) {
        return writeThroughWine(key, name, text);
    }
    return true;
}

std::optional<Registry::Read> WineRegistry::readThroughWine(const std::string& key,
                                                            const std::string& valueName,
                                                            std::string& out) const {
    const std::string path = wineKeyPath(key);
    if (path.empty()) {
        return Read::absent;
    }
    // A file reg cannot make would read as a missing key, so only names that pass to Wine
    // unchanged, with "\" for "/".
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp && *tmp == '/' ? tmp : "/tmp";
    if (std::any_of(folder.begin(), folder.end(),
                    [](unsigned char c) { return c < ' ' || c > '~' || c == '\\'; })) {
        folder = "/tmp";
    }
    std::string file = joinHost(folder, "tavrin-reg-XXXXXX");
    const int fd = ::mkstemp(file.data());
    if (fd < 0) {
        return std::nullopt;
    }
    ::close(fd);
    std::string winePath = "\\\\?\\unix" + file;
    std::replace(winePath.begin(), winePath.end(), '/', '\\');
    // Without "/y", reg asks before it writes over the file and waits for an answer.
    const std::optional<int> exported = runWine({"reg", "export", path, winePath, "/y"});
    const std::optional<std::string> bytes = readHostFile(file);
    ::unlink(file.c_str());
    if (exported == 0 && bytes) {
        if (const std::optional<std::string> text = exportAsRegFile(*bytes)) {
            return WineRegFile(*text).readString(kExportedKey, valueName, out);
        }
    }
    // reg fails alike for a missing key and for a Wine that cannot work; a question that always
    // succeeds tells them apart.
    if (exported && *exported != 0 && runWine({"reg", "query", "HKCU"}) == 0) {
        return Read::absent;
    }
    return std::nullopt;
}

bool WineRegistry::writeThroughWine(const std::string& key, const std::string& valueName,
                                    const std::string& data) const {
    const std::string path = wineKeyPath(key);
    if (path.empty()) {
        return false;
    }
    std::vector<std::string> args = {"reg", "add", path};
    if (valueName.empty()) {
        args.push_back("/ve");
    } else {
        args.push_back("/v");
        args.push_back(cp932::toUtf8(valueName));
    }
    for (const char* a : {"/t", "REG_SZ", "/d"}) {
        args.push_back(a);
    }
    args.push_back(cp932::toUtf8(data));
    args.push_back("/f");
    return runWine(std::move(args)) == 0;
}

std::optional<int> WineRegistry::runWine(std::vector<std::string> args) const {
    const std::optional<std::string> wine = findOnPath("wine");
    if (!wine) {
        return std::nullopt;
    }
    ProgramStart run;
    run.argv = std::move(args);
    run.argv.insert(run.argv.begin(), *wine);
    // Wine reads its arguments in the locale's character set.
    run.env = {"WINEPREFIX=" + mPrefix, "LC_ALL=C.UTF-8", "WINEDEBUG=-all"};
    for (std::string& entry : currentEnvironment()) {
        if (!entry.starts_with("WINEPREFIX=") && !entry.starts_with("LC_ALL=") &&
            !entry.starts_with("WINEDEBUG=")) {
            run.env.push_back(std::move(entry));
        }
    }
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    run.outputFd = null;
    run.noInput = true;
    const std::optional<int> status = runAndWait(std::move(run), mWineTimeout);
    if (null >= 0) {
        ::close(null);
    }
    return status;
}

} // namespace tavrin

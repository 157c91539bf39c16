#include "platform/qt/LinuxShell.h"

#include "platform/CodePages.h"
#include "platform/CommandLine.h"
#include "platform/Cp932.h"
#include "platform/PathText.h"
#include "platform/WineSetup.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/Spawn.h"
#include "platform/qt/PrefixMaker.h"
#include "platform/qt/ProgramWatch.h"
#include "platform/qt/ScreenModes.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QStringList>

#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

namespace {

// Any value above 32 tells the caller the request was handed over.
constexpr int kStarted = 42;
// ShellExecute's "path not found": the working folder is missing.
constexpr int kPathNotFound = 3;

// A file manager that must first be started may take a moment; a hung one must not hold the
// window for long.
constexpr int kPropertiesTimeoutMs = 2500;

// The first bytes of a host file, at most `size`; empty when it cannot be read.
std::string readHead(const std::string& host, std::size_t size) {
    std::string head(size, '\0');
    const int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return {};
    }
    struct stat st {};
    ssize_t n = -1;
    // Never a FIFO or a device: a read there may block or never end.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        do {
            n = ::read(fd, head.data(), size);
        } while (n < 0 && errno == EINTR);
    }
    ::close(fd);
    head.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return head;
}

bool hostExists(const std::string& host) {
    struct stat st {};
    return ::stat(host.c_str(), &st) == 0;
}

shellstart::HostFile inspectHost(const std::string& host) {
    shellstart::HostFile file;
    struct stat st {};
    if (host.empty() || ::stat(host.c_str(), &st) != 0) {
        return file;
    }
    file.exists = true;
    file.folder = S_ISDIR(st.st_mode);
    file.executeBit = !file.folder && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
    if (file.executeBit) {
        file.head = readHead(host, 4);
    }
    return file;
}

// What the host holds of the Wine that `wine` starts, beside the real file behind its links.
winesetup::WineInstall wineInstall(const std::string& wine) {
    winesetup::WineInstall install;
    char* real = ::realpath(wine.c_str(), nullptr);
    if (!real) {
        return install;
    }
    const std::string path = real;
    std::free(real);
    install.launcher = winesetup::launcherKind(readHead(path, 64));
    const std::string lib = path.substr(0, path.rfind('/')) + "/../lib/wine/";
    install.libLoader32 = hostExists(lib + "wine");
    install.libLoader64 = hostExists(lib + "wine64");
    install.i386Windows = hostExists(lib + "i386-windows");
    return install;
}

// Wine takes a program's ANSI code page from the locale. A code page other than Japanese is
// always set; Japanese only where the user's locale is not Japanese already.
std::vector<std::string> environmentFor(bool windowsProgram, int codePage = 0,
                                        const std::string& workingFolder = {}) {
    std::string locale;
    if (windowsProgram && codePage != 0 && codePage != codepage::kJapanese &&
        codepage::localeFor(codePage)) {
        locale = codepage::localeFor(codePage);
    } else if (windowsProgram &&
               shellstart::needsJapaneseLocale(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"),
                                               std::getenv("LANG"))) {
        locale = codepage::localeFor(codepage::kJapanese);
    }
    // Wine takes the working folder from PWD when it names the same folder, so a folder
    // reached through a link keeps the link's name.
    const bool watched = codePage != 0;
    std::vector<std::string> env;
    for (std::string& entry : currentEnvironment()) {
        if ((!locale.empty() && entry.starts_with("LC_ALL=")) ||
            (!workingFolder.empty() && entry.starts_with("PWD="))) {
            continue;
        }
        env.push_back(std::move(entry));
    }
    if (!locale.empty()) {
        env.push_back("LC_ALL=" + locale);
    }
    if (!workingFolder.empty()) {
        env.push_back("PWD=" + workingFolder);
    }
    // Wine's fixme lines would bury what it says of a failure.
    if (watched && !std::getenv("WINEDEBUG")) {
        env.emplace_back("WINEDEBUG=fixme-all");
    }
    return env;
}

bool localeInstalled(const char* name) {
    const locale_t locale = ::newlocale(LC_ALL_MASK, name, nullptr);
    if (!locale) {
        return false;
    }
    ::freelocale(locale);
    return true;
}

// Whether the runtime, in `codePage`, can spell the Windows path `path` (CP932).
bool spelledIn(int codePage, const std::string& path) {
    return codepage::fromUtf8(codePage, cp932::toUtf8(path)).has_value();
}

std::uint64_t fnv1a(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : bytes) {
        hash = (hash ^ c) * 0x100000001b3ULL;
    }
    return hash;
}

// A folder of ours in the prefix's drive C:, linked to `hostFolder`, whose Windows path any code
// page spells ("C:\Tavrin\1a2b3c4d5e6f"); the same folder always gets the same link, so a game
// finds what it saved there before. Empty when it cannot be made.
std::string linkedFolder(const std::string& hostFolder) {
    std::string target = hostFolder;
    while (target.size() > 1 && target.back() == '/') {
        target.pop_back();
    }
    const std::string links = LinuxFileSystem::winePrefix() + "/drive_c/Tavrin";
    if (::mkdir(links.c_str(), 0755) != 0 && errno != EEXIST) {
        return {};
    }
    char name[32];
    std::snprintf(name, sizeof name, "%012llx",
                  static_cast<unsigned long long>(fnv1a(target) & 0xFFFFFFFFFFFFULL));
    std::string link = links + "/" + name;
    std::string current(4096, '\0');
    const ssize_t n = ::readlink(link.c_str(), current.data(), current.size());
    if (n > 0 && static_cast<std::size_t>(n) < current.size() &&
        current.substr(0, static_cast<std::size_t>(n)) == target) {
        return link;
    }
    // Made under another name and renamed over, so a link is never half there.
    const std::string temporary = link + ".new";
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0 ||
        ::rename(temporary.c_str(), link.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return {};
    }
    return link;
}

// A file no one else sees, for a program's output: gone with its last descriptor.
int outputFile() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    std::vector<std::string> folders;
    if (cache && cache[0] == '/') {
        folders.emplace_back(cache);
    }
    if (home && home[0] == '/') {
        folders.push_back(std::string(home) + "/.cache");
    }
    folders.emplace_back("/tmp");
    for (const std::string& folder : folders) {
        const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd >= 0) {
            return fd;
        }
    }
    return -1;
}

std::vector<std::string> argumentsUtf8(const std::string& parameters) {
    std::vector<std::string> args = commandline::splitArguments(parameters);
    for (std::string& a : args) {
        a = cp932::toUtf8(a);
    }
    return args;
}

// The file:// address of a host path, its bytes encoded one by one, so names that are not
// UTF-8 survive too.
QString fileUri(const std::string& host) {
    const QByteArray path(host.data(), static_cast<qsizetype>(host.size()));
    return QStringLiteral("file://") + QString::fromLatin1(path.toPercentEncoding("/"));
}

// Asks the file manager, without waiting for it, to show the properties; `failed` runs when
// there is no session bus, or when the call fails or times out. False when no call was made.
bool askFileManager(const std::string& host, QObject* context, std::function<void()> failed) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItemProperties"));
    call << QStringList{fileUri(host)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kPropertiesTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [failed = std::move(failed)](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         // A timed-out call ends here as an error, once: an answer that comes
                         // later is dropped, so the folder never opens beside the properties.
                         if (w->isError()) {
                             failed();
                         }
                     });
    return true;
}

// Starts the program; a Windows program whose end is wanted is watched, where an event loop
// runs to hear it, by a watch that `owner` keeps.
Started startWatched(ProgramStart& launch, bool throughWine, const Shell::StartOptions& options,
                     QObject* owner) {
    // Wine's failures are heard only where an event loop runs to hear them.
    const bool watched =
        throughWine && (options.ended || options.finished) && QCoreApplication::instance();
    int status[2] = {-1, -1};
    if (watched && ::pipe2(status, O_CLOEXEC) == 0) {
        launch.watchFd = status[1];
        launch.outputFd = outputFile();
    }
    const Started started = startDetached(launch);
    if (status[1] >= 0) {
        ::close(status[1]);
    }
    if (started == Started::yes && status[0] >= 0) {
        new ProgramWatch(
            status[0], launch.outputFd, ProgramWatch::kWatchMs,
            options.ended ? options.ended : [](const Shell::Outcome&) {}, owner, options.finished);
    } else {
        if (status[0] >= 0) {
            ::close(status[0]);
        }
        if (launch.outputFd >= 0) {
            ::close(launch.outputFd);
        }
        if (started == Started::yes && options.ended) {
            options.ended(Shell::Outcome{});
        }
    }
    return started;
}

} // namespace

LinuxShell::LinuxShell(LinuxFileSystem& fs, Dialogs& dialogs)
    : mFs(fs), mDialogs(dialogs), mCalls(std::make_unique<QObject>()) {}

LinuxShell::~LinuxShell() = default;

Shell::Readiness LinuxShell::readiness(const std::string& file, int codePage) {
    const shellstart::StartChoice choice = shellstart::choose(
        file, [this](const std::string& path) { return inspectHost(mFs.toHostPath(path)); });
    Readiness r;
    if (choice.starter != shellstart::Starter::Wine) {
        return r;
    }
    r.throughWine = true;
    const std::string prefix = LinuxFileSystem::winePrefix();
    r.prefix = cp932::fromHostName(prefix);
    const std::optional<std::string> wine = findOnPath("wine");
    if (!wine) {
        r.hindrance = Hindrance::noWine;
        return r;
    }
    if (codePage != 0 && codepage::localeFor(codePage) &&
        !localeInstalled(codepage::localeFor(codePage))) {
        r.hindrance = Hindrance::noLocale;
        r.locale = codepage::localeFor(codePage);
        return r;
    }
    // The PE header lies within the first kilobytes of every program a linker writes.
    const std::string host = mFs.toHostPath(choice.target);
    if (winesetup::peMachine(readHead(host, 4096)) != winesetup::Machine::i386) {
        return r;
    }
    if (!winesetup::runs32Bit(wineInstall(*wine))) {
        r.hindrance = Hindrance::no32BitWine;
    } else if (winesetup::prefixLacks32Bit(
                   readHead(prefix + "/system.reg", 256),
                   hostExists(prefix + "/drive_c/windows/syswow64/kernel32.dll"))) {
        r.hindrance = Hindrance::prefixLacks32Bit;
    }
    return r;
}

bool LinuxShell::fullScreenPossible() {
    // The runtimes' full screen is 640 x 480.
    return displayCanSwitchTo(640, 480);
}

void LinuxShell::whenPrepared(std::function<void()> then, const std::string& key) {
    if (!mMaker) {
        // What a new prefix holds (its drives, its registry) is read from then on.
        mMaker = std::make_unique<PrefixMaker>(
            mDialogs, [this] { mFs.useDrives(LinuxFileSystem::driveTableFromEnvironment()); });
    }
    mMaker->whenMade(LinuxFileSystem::winePrefix(), std::move(then), key);
}

int LinuxShell::execute(const std::string& file, const std::string& parameters,
                        const std::string& directory) {
    return execute(file, parameters, directory, StartOptions{});
}

int LinuxShell::execute(const std::string& file, const std::string& parameters,
                        const std::string& directory, const StartOptions& options) {
    const shellstart::StartChoice choice = shellstart::choose(
        file, [this](const std::string& path) { return inspectHost(mFs.toHostPath(path)); });
    if (choice.starter == shellstart::Starter::Missing) {
        return kFileNotFound;
    }

    ProgramStart launch;
    // An address has no folder to start in: the folder part of "http://x/" is "http:", which no
    // drive holds.
    if (!directory.empty() && !choice.webAddress) {
        launch.folder = mFs.toHostPath(directory);
        if (launch.folder.empty()) {
            return kPathNotFound;
        }
    }
    const std::string host = choice.webAddress ? std::string() : mFs.toHostPath(choice.target);
    switch (choice.starter) {
    case shellstart::Starter::Desktop: {
        const std::optional<std::string> open = findOnPath("xdg-open");
        if (!open) {
            return kNoAssociation;
        }
        // An address begins with its scheme and a host path with "/": neither is taken as an
        // option.
        launch.argv = {*open, choice.webAddress ? cp932::toUtf8(choice.target) : host};
        launch.toolRuns = true;
        break;
    }
    case shellstart::Starter::Wine: {
        const std::optional<std::string> wine = findOnPath("wine");
        if (!wine) {
            return kNoAssociation;
        }
        // The host path, as the host spells it: Wine turns it into the drive path the program
        // sees as its own (GetModuleFileName), where a Windows path would keep the caller's case.
        // A folder the program's code page cannot spell is reached through a link it can, so
        // the program finds its own files beside it.
        std::string program = host;
        const std::string programFolder = pathtext::folderPart(choice.target);
        if (!spelledIn(options.codePage ? options.codePage : codepage::kJapanese, programFolder)) {
            const std::string link = linkedFolder(mFs.toHostPath(programFolder));
            if (link.empty()) {
                return kPathNotFound;
            }
            program = link + host.substr(host.rfind('/'));
            if (launch.folder == mFs.toHostPath(programFolder)) {
                launch.folder = link;
            }
        }
        launch.argv = {*wine, program};
        launch.toolRuns = true;
        break;
    }
    case shellstart::Starter::Direct:
        launch.argv = {host};
        break;
    case shellstart::Starter::Missing:
        return kFileNotFound;
    }
    if (choice.starter != shellstart::Starter::Desktop) {
        std::vector<std::string> args = argumentsUtf8(parameters);
        launch.argv.insert(launch.argv.end(), args.begin(), args.end());
    }
    const bool throughWine = choice.starter == shellstart::Starter::Wine;
    launch.env = environmentFor(throughWine, options.codePage, throughWine ? launch.folder : "");
    const Started started = startWatched(launch, throughWine, options, mCalls.get());
    switch (started) {
    case Started::yes:
        return kStarted;
    case Started::folderMissing:
        return kPathNotFound;
    case Started::fileMissing:
        return kFileNotFound;
    case Started::failed:
        break;
    }
    return kNoAssociation;
}

void LinuxShell::showProperties(const std::string& path) {
    const std::string host = mFs.toHostPath(path);
    struct stat st {};
    if (host.empty() || ::stat(host.c_str(), &st) != 0) {
        return;
    }
    // Opening a file would start it; its folder is what can be shown.
    const std::string folder = S_ISDIR(st.st_mode) ? path : pathtext::folderPart(path);
    const auto openFolder = [this, folder] { execute(folder, "", ""); };
    if (!askFileManager(host, mCalls.get(), openFolder)) {
        openFolder();
    }
}

} // namespace tavrin

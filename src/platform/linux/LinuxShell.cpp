#include "platform/linux/LinuxShell.h"

#include "platform/CommandLine.h"
#include "platform/Cp932.h"
#include "platform/PathText.h"
#include "platform/WineSetup.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/PrefixMaker.h"
#include "platform/linux/Spawn.h"

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QStringList>

#include <cerrno>
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
    if (fd < 0)
        return {};
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
    if (host.empty() || ::stat(host.c_str(), &st) != 0)
        return file;
    file.exists = true;
    file.folder = S_ISDIR(st.st_mode);
    file.executeBit = !file.folder && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
    if (file.executeBit)
        file.head = readHead(host, 4);
    return file;
}

// What the host holds of the Wine that `wine` starts, beside the real file behind its links.
winesetup::WineInstall wineInstall(const std::string& wine) {
    winesetup::WineInstall install;
    char* real = ::realpath(wine.c_str(), nullptr);
    if (!real)
        return install;
    const std::string path = real;
    std::free(real);
    install.launcher = winesetup::launcherKind(readHead(path, 64));
    const std::string lib = path.substr(0, path.rfind('/')) + "/../lib/wine/";
    install.libLoader32 = hostExists(lib + "wine");
    install.libLoader64 = hostExists(lib + "wine64");
    install.i386Windows = hostExists(lib + "i386-windows");
    return install;
}

std::vector<std::string> environmentFor(bool windowsProgram) {
    std::vector<std::string> env;
    const bool japanese = windowsProgram && shellstart::needsJapaneseLocale(std::getenv("LC_ALL"),
                                                                            std::getenv("LC_CTYPE"),
                                                                            std::getenv("LANG"));
    for (std::string& entry : currentEnvironment()) {
        if (japanese && entry.starts_with("LC_ALL="))
            continue;
        env.push_back(std::move(entry));
    }
    if (japanese)
        env.emplace_back("LC_ALL=ja_JP.UTF-8");
    return env;
}

std::vector<std::string> argumentsUtf8(const std::string& parameters) {
    std::vector<std::string> args = commandline::splitArguments(parameters);
    for (std::string& a : args)
        a = cp932::toUtf8(a);
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
    if (!bus.isConnected())
        return false;
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
                         if (w->isError())
                             failed();
                     });
    return true;
}

} // namespace

LinuxShell::LinuxShell(LinuxFileSystem& fs, Dialogs& dialogs)
    : mFs(fs), mDialogs(dialogs), mCalls(std::make_unique<QObject>()) {}

LinuxShell::~LinuxShell() = default;

Shell::Readiness LinuxShell::readiness(const std::string& file) {
    const shellstart::StartChoice choice = shellstart::choose(
        file, [this](const std::string& path) { return inspectHost(mFs.toHostPath(path)); });
    Readiness r;
    if (choice.starter != shellstart::Starter::Wine)
        return r;
    r.throughWine = true;
    const std::string prefix = LinuxFileSystem::winePrefix();
    r.prefix = cp932::fromHostName(prefix);
    const std::optional<std::string> wine = findOnPath("wine");
    if (!wine) {
        r.hindrance = Hindrance::noWine;
        return r;
    }
    // The PE header lies within the first kilobytes of every program a linker writes.
    const std::string host = mFs.toHostPath(choice.target);
    if (winesetup::peMachine(readHead(host, 4096)) != winesetup::Machine::i386)
        return r;
    if (!winesetup::runs32Bit(wineInstall(*wine)))
        r.hindrance = Hindrance::no32BitWine;
    else if (winesetup::prefixLacks32Bit(
                 readHead(prefix + "/system.reg", 256),
                 hostExists(prefix + "/drive_c/windows/syswow64/kernel32.dll")))
        r.hindrance = Hindrance::prefixLacks32Bit;
    return r;
}

void LinuxShell::whenPrepared(std::function<void()> then) {
    if (!mMaker)
        mMaker = std::make_unique<PrefixMaker>(mDialogs);
    mMaker->whenMade(LinuxFileSystem::winePrefix(), std::move(then));
}

int LinuxShell::execute(const std::string& file, const std::string& parameters,
                        const std::string& directory) {
    const shellstart::StartChoice choice = shellstart::choose(
        file, [this](const std::string& path) { return inspectHost(mFs.toHostPath(path)); });
    if (choice.starter == shellstart::Starter::Missing)
        return kFileNotFound;

    Launch launch;
    // An address has no folder to start in: the folder part of "http://x/" is "http:", which no
    // drive holds.
    if (!directory.empty() && !choice.webAddress) {
        launch.folder = mFs.toHostPath(directory);
        if (launch.folder.empty())
            return kPathNotFound;
    }
    const std::string host = choice.webAddress ? std::string() : mFs.toHostPath(choice.target);
    switch (choice.starter) {
    case shellstart::Starter::Desktop: {
        const std::optional<std::string> open = findOnPath("xdg-open");
        if (!open)
            return kNoAssociation;
        // An address begins with its scheme and a host path with "/": neither is taken as an
        // option.
        launch.argv = {*open, choice.webAddress ? cp932::toUtf8(choice.target) : host};
        launch.toolRuns = true;
        break;
    }
    case shellstart::Starter::Wine: {
        const std::optional<std::string> wine = findOnPath("wine");
        if (!wine)
            return kNoAssociation;
        // The host path, as the host spells it: Wine turns it into the drive path the program
        // sees as its own (GetModuleFileName), where a Windows path would keep the caller's case.
        launch.argv = {*wine, host};
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
    launch.env = environmentFor(choice.starter == shellstart::Starter::Wine);
    switch (startDetached(launch)) {
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
    if (host.empty() || ::stat(host.c_str(), &st) != 0)
        return;
    // Opening a file would start it; its folder is what can be shown.
    const std::string folder = S_ISDIR(st.st_mode) ? path : pathtext::folderPart(path);
    const auto openFolder = [this, folder] { execute(folder, "", ""); };
    if (!askFileManager(host, mCalls.get(), openFolder))
        openFolder();
}

} // namespace tavrin

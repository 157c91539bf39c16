#include "platform/linux/LinuxFileSystem.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/PathText.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tavrin {

namespace {

class Fd {
public:
    explicit Fd(int fd) : mFd(fd) {}
    ~Fd() {
        if (mFd >= 0) {
            ::close(mFd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return mFd; }
    int release() { return std::exchange(mFd, -1); }
    // Reports the close itself, which is where some file systems first report a failed write.
    bool close() {
        const int fd = mFd;
        mFd = -1;
        return ::close(fd) == 0;
    }

private:
    int mFd;
};

class Dir {
public:
    explicit Dir(const std::string& path) : mDir(::opendir(path.c_str())) {}
    // Takes the descriptor, whatever happens.
    explicit Dir(int fd) : mDir(::fdopendir(fd)) {
        if (!mDir) {
            ::close(fd);
        }
    }
    ~Dir() {
        if (mDir) {
            ::closedir(mDir);
        }
    }
    Dir(const Dir&) = delete;
    Dir& operator=(const Dir&) = delete;
    DIR* get() const { return mDir; }
    // The next entry other than "." and "..", or null at the end.
    dirent* next() {
        while (dirent* e = ::readdir(mDir)) {
            const std::string_view name = e->d_name;
            if (name != "." && name != "..") {
                return e;
            }
        }
        return nullptr;
    }

private:
    DIR* mDir;
};

// The entries left in a folder, links followed to tell folders, which carry an identity.
std::vector<FileSystem::Entry> readEntries(Dir& dir) {
    using Entry = FileSystem::Entry;
    std::vector<Entry> entries;
    const int dirFd = ::dirfd(dir.get());
    while (dirent* e = dir.next()) {
        Entry entry{cp932::fromHostName(e->d_name)};
        // Plain files need no look-up: only folders carry an identity.
        if (e->d_type == DT_DIR || e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                entry.isLink = S_ISLNK(st.st_mode);
                if (entry.isLink && ::fstatat(dirFd, e->d_name, &st, 0) != 0) {
                    st = {}; // dangling
                }
                entry.isFolder = S_ISDIR(st.st_mode);
                if (entry.isFolder) {
                    entry.device = st.st_dev;
                    entry.inode = st.st_ino;
                }
            }
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string joinHost(std::string folder, std::string_view name) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    folder += name;
    return folder;
}

// "." and ".." are resolved by the text alone, so a drive keeps the path its link names.
std::string normalizeAbsolute(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view part = path.substr(0, slash);
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (slash == std::string_view::npos) {
            break;
        }
        path.remove_prefix(slash + 1);
    }
    std::string out;
    for (std::string_view p : parts) {
        out += '/';
        out += p;
    }
    return out.empty() ? "/" : out;
}

std::string currentFolder() {
    std::string buf(4096, '\0');
    if (!::getcwd(buf.data(), buf.size())) {
        return "/";
    }
    buf.resize(std::char_traits<char>::length(buf.c_str()));
    return buf;
}

std::string prefixFolder() {
    if (const char* p = std::getenv("WINEPREFIX"); p && *p) {
        return p[0] == '/' ? std::string(p) : joinHost(currentFolder(), p);
    }
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = ::getpwuid(::getuid());
        home = pw ? pw->pw_dir : "/";
    }
    return joinHost(home, ".wine");
}

std::optional<std::string> readLink(const std::string& path) {
    std::string buf(4096, '\0');
    const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
    if (n < 0 || static_cast<std::size_t>(n) >= buf.size()) {
        return std::nullopt;
    }
    buf.resize(static_cast<std::size_t>(n));
    return buf;
}

// The host name of `component` in `folder`: the name it spells (cp932::toHostName) when that
// exists, else the entry whose CP932 form is the same bytes, else one that differs only in the
// case of ASCII letters. Trying the spelled name first spares a listing and finds the codes CP932
// holds twice (NEC and IBM rows), whose UTF-8 form converts back to the other code.
std::optional<std::string> findEntry(const std::string& folder, const std::string& component) {
    struct stat st {};
    if (auto host = cp932::toHostName(component);
        host && ::lstat(joinHost(folder, *host).c_str(), &st) == 0) {
        return host;
    }
    Dir dir(folder);
    if (!dir.get()) {
        return std::nullopt;
    }
    std::optional<std::string> caseless;
    while (dirent* e = dir.next()) {
        const std::string name = cp932::fromHostName(e->d_name);
        if (name == component) {
            return std::string(e->d_name);
        }
        if (!caseless && pathtext::sameName(name, component)) {
            caseless = e->d_name;
        }
    }
    return caseless;
}

// A Windows path taken apart: its drive and the components between separators, "/" counting
// as "\" and a CP932 trail byte never one.
struct WindowsPath {
    const DriveTable::Drive* drive = nullptr;
    std::vector<std::string> components;
    // A final separator stays, so a file named as a folder is not found, as on Windows.
    bool trailing = false;
};

std::optional<WindowsPath> splitWindowsPath(const DriveTable& drives,
                                            const std::string& windowsPath) {
    if (windowsPath.size() < 2 || windowsPath[1] != ':') {
        return std::nullopt;
    }
    char letter = windowsPath[0];
    if (letter >= 'a' && letter <= 'z') {
        letter = static_cast<char>(letter - 'a' + 'A');
    }
    WindowsPath split;
    for (const DriveTable::Drive& d : drives.drives()) {
        if (d.letter == letter) {
            split.drive = &d;
            break;
        }
    }
    if (!split.drive) {
        return std::nullopt;
    }

    split.components.resize(1);
    for (std::size_t i = 2; i < windowsPath.size(); ++i) {
        const char c = windowsPath[i];
        if (cp932::isLeadByte(static_cast<unsigned char>(c)) && i + 1 < windowsPath.size()) {
            split.components.back() += c;
            split.components.back() += windowsPath[++i];
        } else if (c == '\\' || c == '/') {
            split.components.emplace_back();
        } else {
            split.components.back() += c;
        }
    }
    split.trailing = split.components.back().empty();
    return split;
}

struct HostPath {
    std::string joined;
    std::size_t depth = 0; // components below the drive's folder

    std::string withSeparator(const WindowsPath& split) const {
        return split.trailing && depth > 0 ? joined + '/' : joined;
    }
};

// Joins the components to the drive's folder, each named by `name` (nothing: give up);
// "." is passed over and ".." stops at the drive's root, as on Windows.
template <typename Name>
std::optional<HostPath> joinComponents(const WindowsPath& split, const Name& name) {
    HostPath host{split.drive->hostFolder};
    for (const std::string& component : split.components) {
        if (component.empty() || component == ".") {
            continue;
        }
        if (component == "..") {
            if (host.depth > 0) {
                host.joined = joinHost(std::move(host.joined), "..");
                --host.depth;
            }
            continue;
        }
        const std::optional<std::string> entry = name(host.joined, component);
        if (!entry) {
            return std::nullopt;
        }
        host.joined = joinHost(std::move(host.joined), *entry);
        ++host.depth;
    }
    return host;
}

// Every component by the host name it spells, looked up nowhere.
std::optional<HostPath> joinWritten(const WindowsPath& split) {
    return joinComponents(split, [](const std::string&, const std::string& component) {
        return cp932::toHostName(component);
    });
}

bool writeAll(LinuxFileSystem::WriteCalls& calls, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = calls.write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

constexpr std::string_view kTempChars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kTempRandomLength = 8;
// Keeps the temporary name within the 255 bytes a host name may have.
constexpr std::size_t kTempNameLength = 200;
constexpr std::string_view kTempMarker = ".tavrin-";
constexpr std::string_view kTempEnd = ".tmp";

std::string tempNameStart(std::string_view name) {
    std::string start(1, '.');
    start.append(name.substr(0, kTempNameLength)).append(kTempMarker);
    return start;
}

// ".<name>.tavrin-<8 letters or digits>.tmp": no other program names its files so, so a file
// of this form is a temporary of ours; the clean-up removes nothing else.
bool isTempNameOf(std::string_view entry, std::string_view name) {
    const std::string start = tempNameStart(name);
    if (entry.size() != start.size() + kTempRandomLength + kTempEnd.size() ||
        !entry.starts_with(start) || !entry.ends_with(kTempEnd)) {
        return false;
    }
    return entry.substr(start.size(), kTempRandomLength).find_first_not_of(kTempChars) ==
           std::string_view::npos;
}

// Creates a new hidden file beside `target`; mode 0644 lets the umask apply as for any new file.
int createTemp(LinuxFileSystem::WriteCalls& calls, const std::string& folder, std::string_view name,
               std::string& tempPath) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[kTempRandomLength];
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
            return -1;
        }
        std::string temp = tempNameStart(name);
        for (const unsigned char r : random) {
            temp += kTempChars[r % kTempChars.size()];
        }
        temp += kTempEnd;
        tempPath = joinHost(folder, temp);
        const int fd = calls.open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// The file a chain of links ends at, the link itself when it is none; a link may name a file
// not there yet. Nothing for a loop.
std::optional<std::string> followLinks(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        const std::optional<std::string> target = readLink(path);
        if (!target || target->empty()) {
            return std::nullopt;
        }
        if ((*target)[0] == '/') {
            path = *target;
        } else {
            const std::size_t slash = path.rfind('/');
            path = slash == std::string::npos ? *target : path.substr(0, slash + 1) + *target;
        }
    }
    return std::nullopt;
}

void syncFolder(LinuxFileSystem::WriteCalls& calls, const std::string& folder) {
    Fd fd(calls.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (fd.get() >= 0) {
        calls.fsync(fd.get());
    }
}

LinuxFileSystem::WriteCalls& systemCalls() {
    static LinuxFileSystem::WriteCalls calls;
    return calls;
}

} // namespace

int LinuxFileSystem::WriteCalls::open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

ssize_t LinuxFileSystem::WriteCalls::write(int fd, const void* bytes, std::size_t size) {
    return ::write(fd, bytes, size);
}

int LinuxFileSystem::WriteCalls::fsync(int fd) {
    return ::fsync(fd);
}

int LinuxFileSystem::WriteCalls::rename(const char* from, const char* to) {
    return ::rename(from, to);
}

LinuxFileSystem::LinuxFileSystem(DriveTable drives, WriteCalls* calls)
    : mDrives(std::make_shared<const DriveTable>(std::move(drives))),
      mCalls(calls ? calls : &systemCalls()) {}

void LinuxFileSystem::useDrives(DriveTable drives) {
    auto table = std::make_shared<const DriveTable>(std::move(drives));
    const std::lock_guard lock(mDrivesLock);
    mDrives = std::move(table);
}

std::shared_ptr<const DriveTable> LinuxFileSystem::drives() const {
    const std::lock_guard lock(mDrivesLock);
    return mDrives;
}

std::string LinuxFileSystem::winePrefix() {
    return prefixFolder();
}

DriveTable LinuxFileSystem::driveTableFromEnvironment() {
    const std::string dosdevices = joinHost(prefixFolder(), "dosdevices");
    Dir dir(dosdevices);
    if (!dir.get()) {
        return DriveTable::rootOnly();
    }
    std::vector<DriveTable::Drive> drives;
    while (dirent* e = dir.next()) {
        // Drives are "c:"; "c::" (the raw device), "com1" and "lpt1" are not folders.
        const std::string_view name = e->d_name;
        const char letter = name.empty() ? '\0' : name[0];
        if (name.size() != 2 || name[1] != ':' ||
            !((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z'))) {
            continue;
        }
        const std::string entry = joinHost(dosdevices, name);
        struct stat st {};
        if (::lstat(entry.c_str(), &st) != 0) {
            continue;
        }
        std::string folder = entry;
        if (S_ISLNK(st.st_mode)) {
            const std::optional<std::string> target = readLink(entry);
            if (!target || target->empty()) {
                continue;
            }
            folder = (*target)[0] == '/' ? *target : joinHost(dosdevices, *target);
        } else if (!S_ISDIR(st.st_mode)) {
            continue;
        }
        drives.push_back({letter, normalizeAbsolute(folder)});
    }
    return DriveTable(std::move(drives));
}

std::optional<std::string> LinuxFileSystem::toWindowsPath(const std::string& hostPath) const {
    return drives()->toWindows(hostPath);
}

std::string LinuxFileSystem::toHostPath(const std::string& windowsPath) const {
    // Held while `split` points into it.
    const std::shared_ptr<const DriveTable> table = drives();
    const std::optional<WindowsPath> split = splitWindowsPath(*table, windowsPath);
    if (!split) {
        return {};
    }
    // Most paths name every entry by its UTF-8 form. Then one look-up of the whole path, which
    // finds each component it passes, answers as one per component would: a walk asks for
    // thousands of deep paths.
    const std::optional<HostPath> direct = joinWritten(*split);
    struct stat st {};
    if (direct && ::lstat(direct->joined.c_str(), &st) == 0) {
        return direct->withSeparator(*split);
    }

    bool missing = false;
    const std::optional<HostPath> host =
        joinComponents(*split, [&](const std::string& folder, const std::string& component) {
            std::optional<std::string> found;
            if (!missing) {
                found = findEntry(folder, component);
            }
            missing = !found;
            return std::optional<std::string>(
                found ? *found : cp932::toHostName(component).value_or(cp932::toUtf8(component)));
        });
    return host->withSeparator(*split);
}

std::string LinuxFileSystem::writtenHostPath(const std::string& windowsPath) const {
    // Held while `split` points into it.
    const std::shared_ptr<const DriveTable> table = drives();
    const std::optional<WindowsPath> split = splitWindowsPath(*table, windowsPath);
    const std::optional<HostPath> direct = split ? joinWritten(*split) : std::nullopt;
    return direct ? direct->withSeparator(*split) : std::string();
}

bool LinuxFileSystem::fileExists(const std::string& path) {
    const std::string host = toHostPath(path);
    struct stat st {};
    return !host.empty() && ::stat(host.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool LinuxFileSystem::folderExists(const std::string& path) {
    const std::string host = toHostPath(path);
    struct stat st {};
    return !host.empty() && ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

FileSystem::FolderCount LinuxFileSystem::countFolder(const std::string& path,
                                                     const std::function<bool()>& stop) {
    FolderCount count;
    const std::string root = toHostPath(path);
    if (root.empty()) {
        return count;
    }
    std::vector<std::string> waiting{root};
    while (!waiting.empty()) {
        const std::string at = std::move(waiting.back());
        waiting.pop_back();
        // Opened without following a link, so a link put in place of a folder is not entered.
        const int fd = ::open(at.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        Dir dir(fd);
        if (!dir.get()) {
            continue;
        }
        while (dirent* e = dir.next()) {
            if (stop()) {
                count.complete = false;
                return count;
            }
            struct stat st {};
            if (::fstatat(::dirfd(dir.get()), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                continue;
            }
            if (S_ISDIR(st.st_mode)) {
                waiting.push_back(joinHost(at, e->d_name));
            } else if (S_ISREG(st.st_mode)) {
                count.bytes += static_cast<std::uint64_t>(st.st_size);
                ++count.files;
            }
        }
    }
    return count;
}

std::optional<std::string> LinuxFileSystem::readFile(const std::string& path) {
    return readFile(path, kReadFileLimit);
}

std::optional<std::string> LinuxFileSystem::readFile(const std::string& path, std::uint64_t limit) {
    const std::string host = toHostPath(path);
    if (host.empty()) {
        return std::nullopt;
    }
    return readHostFile(host, limit);
}

namespace {

// A regular file opened for reading, refused with the user's words when it cannot be read.
class FileReader {
public:
    FileReader(const std::string& hostPath, std::uint64_t limit)
        : mHostPath(hostPath), mLimit(limit),
          // Not blocking, so a FIFO without a writer is refused at once instead of waited on; no
          // terminal becomes ours.
          mFd(::open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)) {
        if (mFd.get() < 0) {
            if (errno == ENOENT || errno == ENOTDIR) {
                return;
            }
            throw refuse("ファイル %s を開けません");
        }
        struct stat& st = mStatus;
        if (::fstat(mFd.get(), &st) != 0) {
            throw refuse("ファイル %s を開けません");
        }
        // A device or a FIFO may never end.
        if (!S_ISREG(st.st_mode)) {
            throw refuse("%s は通常のファイルではありません。");
        }
        mSize = static_cast<std::uint64_t>(st.st_size);
        checkLimit(mSize);
        // Most file systems ignore it for a regular file; some network ones would answer EAGAIN.
        const int flags = ::fcntl(mFd.get(), F_GETFL);
        if (flags < 0 || ::fcntl(mFd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
            throw refuse("ファイル %s を開けません");
        }
        mFound = true;
    }

    // False when there is no such file.
    bool found() const { return mFound; }
    // Its size when opened.
    std::uint64_t size() const { return mSize; }
    const struct stat& status() const { return mStatus; }
    int fileDescriptor() const { return mFd.get(); }
    // The open file, now the caller's.
    int releaseFd() { return mFd.release(); }

    // Up to `count` bytes; 0 at the end.
    std::size_t read(char* into, std::size_t count) {
        for (;;) {
            const ssize_t n = ::read(mFd.get(), into, count);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                throw refuse("ファイル %s を読み込めません");
            }
            mTotal += static_cast<std::uint64_t>(n);
            // It may grow while it is read.
            checkLimit(mTotal);
            return static_cast<std::size_t>(n);
        }
    }

private:
    AppError refuse(const char* utf8Pattern) const {
        return AppError(formatMessage(sj(utf8Pattern), cp932::fromHostName(mHostPath)));
    }
    void checkLimit(std::uint64_t size) const {
        if (size > mLimit) {
            throw AppError(fileTooLargeMessage(cp932::fromHostName(mHostPath), mLimit));
        }
    }

    const std::string& mHostPath;
    std::uint64_t mLimit;
    Fd mFd;
    struct stat mStatus {};
    std::uint64_t mSize = 0;
    std::uint64_t mTotal = 0;
    bool mFound = false;
};

} // namespace

std::optional<std::string> LinuxFileSystem::readHostFile(const std::string& hostPath,
                                                         std::uint64_t limit) {
    FileReader file(hostPath, limit);
    if (!file.found()) {
        return std::nullopt;
    }
    // Read straight into the bytes kept, not through a buffer of pieces.
    std::string bytes;
    const auto size = static_cast<std::size_t>(file.size());
    bytes.resize(size);
    std::size_t got = 0;
    while (got < size) {
        const std::size_t n = file.read(bytes.data() + got, size - got);
        if (n == 0) {
            break;
        }
        got += n;
    }
    bytes.resize(got);
    // A file that grew while it was read is read to its end.
    if (got == size) {
        char more[65536];
        while (const std::size_t n = file.read(more, sizeof more)) {
            bytes.append(more, n);
        }
    }
    return bytes;
}

std::optional<FileSystem::HeldFile> LinuxFileSystem::holdFile(const std::string& path,
                                                              std::uint64_t limit) {
    const std::string host = toHostPath(path);
    if (host.empty()) {
        return std::nullopt;
    }
    FileReader file(host, limit);
    if (!file.found()) {
        return std::nullopt;
    }
    const auto size = static_cast<std::size_t>(file.size());
    // Populated at once: page by page, its first reader would fault its way through it.
    void* at = size ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE,
                             file.fileDescriptor(), 0)
                    : MAP_FAILED;
    if (at == MAP_FAILED) {
        return FileSystem::holdFile(path, limit);
    }
    struct Mapping {
        Mapping(void* a, std::size_t n, int f, const struct stat& s)
            : at(a), size(n), fd(f), status(s) {}
        ~Mapping() { ::munmap(at, size); }
        Mapping(const Mapping&) = delete;
        Mapping& operator=(const Mapping&) = delete;
        void* at;
        std::size_t size;
        Fd fd;
        struct stat status;
    };
    auto mapping = std::make_shared<const Mapping>(at, size, file.releaseFd(), file.status());
    const std::string_view bytes(static_cast<const char*>(at), size);
    auto unchanged = [held = std::weak_ptr<const Mapping>(mapping)] {
        const auto m = held.lock();
        struct stat now {};
        return m && ::fstat(m->fd.get(), &now) == 0 && now.st_size == m->status.st_size &&
               now.st_mtim.tv_sec == m->status.st_mtim.tv_sec &&
               now.st_mtim.tv_nsec == m->status.st_mtim.tv_nsec;
    };
    return HeldFile{std::move(mapping), bytes, true, std::move(unchanged)};
}

bool LinuxFileSystem::readHostFileInPieces(const std::string& hostPath, std::uint64_t limit,
                                           const Piece& piece) {
    FileReader file(hostPath, limit);
    if (!file.found()) {
        return false;
    }
    char buf[65536];
    while (const std::size_t n = file.read(buf, sizeof buf)) {
        piece(std::string_view(buf, n), file.size());
    }
    return true;
}

bool LinuxFileSystem::writeFileAtomic(const std::string& path, std::string_view bytes) {
    const std::string host = toHostPath(path);
    if (host.empty() || host.back() == '/') {
        return false;
    }
    // A file kept as a link (into a synced folder, say) stays one: the file it names is
    // replaced, or created when the link dangles.
    const std::optional<std::string> followed = followLinks(host);
    if (!followed) {
        return false;
    }
    const std::string& target = *followed;
    struct stat st {};
    const bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed && !S_ISREG(st.st_mode)) {
        return false;
    }

    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == 0 ? "/" : target.substr(0, slash);
    std::string temp;
    Fd fd(createTemp(*mCalls, folder, std::string_view(target).substr(slash + 1), temp));
    if (fd.get() < 0) {
        return false;
    }
    const bool written = (!existed || ::fchmod(fd.get(), st.st_mode & 07777) == 0) &&
                         writeAll(*mCalls, fd.get(), bytes) && mCalls->fsync(fd.get()) == 0 &&
                         fd.close() && mCalls->rename(temp.c_str(), target.c_str()) == 0;
    if (!written) {
        ::unlink(temp.c_str());
        return false;
    }
    syncFolder(*mCalls, folder);
    return true;
}

void LinuxFileSystem::removeInterruptedWrites(const std::string& path) {
    const std::string host = toHostPath(path);
    if (host.empty() || host.back() == '/') {
        return;
    }
    // Beside the file a link names, where writeFileAtomic makes them.
    const std::optional<std::string> target = followLinks(host);
    if (!target) {
        return;
    }
    const std::size_t slash = target->rfind('/');
    const std::string folder = slash == 0 ? "/" : target->substr(0, slash);
    const std::string_view name = std::string_view(*target).substr(slash + 1);
    Dir dir(folder);
    if (!dir.get()) {
        return;
    }
    std::vector<std::string> leftovers;
    while (const dirent* entry = dir.next()) {
        if (isTempNameOf(entry->d_name, name)) {
            leftovers.push_back(entry->d_name);
        }
    }
    const int dirFd = ::dirfd(dir.get());
    for (const std::string& leftover : leftovers) {
        struct stat st {};
        // Only a plain file we own: a folder, a link or another user's file is none of ours.
        if (::fstatat(dirFd, leftover.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) {
            ::unlinkat(dirFd, leftover.c_str(), 0);
        }
    }
}

bool LinuxFileSystem::renameFile(const std::string& from, const std::string& to) {
    const std::string source = toHostPath(from);
    const std::string target = toHostPath(to);
    if (source.empty() || target.empty()) {
        return false;
    }
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // The file system cannot rename without replacing; a hard link fails on an existing name.
    if (::link(source.c_str(), target.c_str()) == 0) {
        if (::unlink(source.c_str()) != 0) {
            ::unlink(target.c_str());
            return false;
        }
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP) {
        return false;
    }
    // Nor link (FAT, some network shares): an exclusive create claims the name, so the rename
    // replaces only our own empty file.
    Fd claim(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (claim.get() < 0) {
        return false;
    }
    claim.close();
    if (::rename(source.c_str(), target.c_str()) != 0) {
        ::unlink(target.c_str());
        return false;
    }
    return true;
}

std::vector<FileSystem::Entry> LinuxFileSystem::listFolder(const std::string& path) {
    return tryListFolder(path).value_or(std::vector<Entry>());
}

std::optional<std::vector<FileSystem::Entry>>
LinuxFileSystem::tryListFolder(const std::string& path) {
    std::optional<Dir> dir;
    dir.emplace(writtenHostPath(path));
    if (!dir->get()) {
        const std::string host = toHostPath(path);
        if (host.empty()) {
            return std::nullopt;
        }
        dir.emplace(host);
        if (!dir->get()) {
            return std::nullopt;
        }
    }
    return readEntries(*dir);
}

std::optional<FileSystem::FolderIdentity> LinuxFileSystem::folderIdentity(const std::string& path) {
    std::string host = writtenHostPath(path);
    struct stat st {};
    if (host.empty() || ::stat(host.c_str(), &st) != 0) {
        host = toHostPath(path);
        if (host.empty() || ::stat(host.c_str(), &st) != 0) {
            return std::nullopt;
        }
    }
    if (!S_ISDIR(st.st_mode) || ::faccessat(AT_FDCWD, host.c_str(), X_OK, AT_EACCESS) != 0) {
        return std::nullopt;
    }
    return FolderIdentity{st.st_dev, st.st_ino};
}

// One look-up of the path where a walk would make three (the identity, the search permission
// and the listing): on a large tree the walk is mostly these look-ups.
std::optional<FileSystem::EnteredFolder> LinuxFileSystem::enterFolder(const std::string& path,
                                                                      const WantedFolder& wanted) {
    const std::string written = writtenHostPath(path);
    const int fd =
        written.empty() ? -1 : ::open(written.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Not there as written (a name-by-name look-up finds it), or not to be read: each its own way.
    if (fd < 0) {
        return FileSystem::enterFolder(path, wanted);
    }
    Dir dir(fd);
    struct stat st {};
    if (!dir.get() || ::fstat(fd, &st) != 0) {
        return FileSystem::enterFolder(path, wanted);
    }
    // "." is looked up through the folder itself: refused exactly when searching it is.
    const FolderIdentity id{st.st_dev, st.st_ino};
    if (::faccessat(fd, ".", X_OK, AT_EACCESS) != 0 || !wanted(id)) {
        return std::nullopt;
    }
    return EnteredFolder{id, readEntries(dir)};
}

std::string LinuxFileSystem::workingFolder() {
    return drives()->toWindows(currentFolder()).value_or(std::string());
}

std::string LinuxFileSystem::shownPath(const std::string& path) {
    const std::string host = toHostPath(path);
    return host.empty() ? path : cp932::fromHostName(host);
}

} // namespace tavrin

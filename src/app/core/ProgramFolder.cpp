#include "app/core/ProgramFolder.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tavrin::programfolder {

namespace {

bool absolute(const char* path) {
    return path && path[0] == '/';
}

std::string joined(std::string folder, const char* name) {
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    return folder + "/" + name;
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes the folder and its missing parents.
bool makeFolders(const std::string& folder) {
    if (isFolder(folder)) {
        return true;
    }
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (!part.empty() && part.back() != '/' && ::mkdir(part.c_str(), 0700) != 0 &&
            !(errno == EEXIST && isFolder(part))) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

// $HOME, or the password database's entry when HOME is unusable.
std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); absolute(home)) {
        return home;
    }
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        absolute(found->pw_dir)) {
        return found->pw_dir;
    }
    return {};
}

} // namespace

std::optional<std::string> executableFolder() {
    std::string path(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) {
        return std::nullopt;
    }
    path.resize(static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return std::nullopt;
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::optional<std::string> userFolder(const char* xdgConfigHome, const char* home) {
    if (absolute(xdgConfigHome)) {
        return joined(xdgConfigHome, "Tavrin");
    }
    if (absolute(home)) {
        return joined(joined(home, ".config"), "Tavrin");
    }
    return std::nullopt;
}

bool writable(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return false;
    }
    // access() also answers for read-only mounts and access lists.
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return false;
    }
    return ::geteuid() != 0 || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

bool installed(const std::string& exeFolder) {
    return isFolder(joined(exeFolder, "../share/tavrin"));
}

std::string prepare(const std::string& exeFolder) {
    if (!installed(exeFolder) && writable(exeFolder)) {
        return exeFolder;
    }
    const std::string home = homeFolder();
    const auto folder = userFolder(std::getenv("XDG_CONFIG_HOME"), home.c_str());
    if (!folder) {
        throw AppError(sj("データを置くフォルダが見つかりません"));
    }
    if (!makeFolders(*folder)) {
        throw AppError(formatMessage(sj("データを置くフォルダ %s を作成できません"),
                                     cp932::fromHostName(*folder)));
    }
    if (!writable(*folder)) {
        throw AppError(formatMessage(sj("データを置くフォルダ %s に書き込めません"),
                                     cp932::fromHostName(*folder)));
    }
    return *folder;
}

} // namespace tavrin::programfolder

#include "platform/linux/FlockInstanceMarker.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tavrin {

namespace {

std::string defaultFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return runtime;
#ifdef P_tmpdir
    return P_tmpdir;
#else
    return "/tmp";
#endif
}

// O_NOFOLLOW: in a shared temp folder another user could plant a link under our name.
int openLockFile(const std::string& path) {
    return ::open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
}

} // namespace

FlockInstanceMarker::FlockInstanceMarker(std::string folder) {
    if (folder.empty())
        folder = defaultFolder();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    mPath = folder + "/TAVRIN_MUTEX-" + std::to_string(::getuid()) + ".lock";
}

FlockInstanceMarker::~FlockInstanceMarker() {
    release();
}

bool FlockInstanceMarker::heldElsewhere() {
    if (mFd >= 0)
        return false;
    const int fd = openLockFile(mPath);
    if (fd < 0)
        return false;
    // A lock belongs to an open file description, so a second descriptor conflicts with any
    // holder, in this process or another.
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

void FlockInstanceMarker::acquire() {
    if (mFd >= 0)
        return;
    const int fd = openLockFile(mPath);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    mFd = fd;
}

void FlockInstanceMarker::release() {
    if (mFd >= 0) {
        ::close(mFd);
        mFd = -1;
    }
}

} // namespace tavrin

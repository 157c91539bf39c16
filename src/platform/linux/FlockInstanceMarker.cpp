#include "platform/linux/FlockInstanceMarker.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tavrin {

namespace {

// O_NOFOLLOW: a link planted under our name would lock, or create, a file elsewhere.
int openLockFile(const std::string& path) {
    return ::open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
}

} // namespace

FlockInstanceMarker::FlockInstanceMarker(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    mPath = folder + "/.TAVRIN_MUTEX.lock";
}

FlockInstanceMarker::~FlockInstanceMarker() {
    release();
}

bool FlockInstanceMarker::heldElsewhere() {
    if (mFd >= 0) {
        return false;
    }
    const int fd = openLockFile(mPath);
    if (fd < 0) {
        return false;
    }
    // A lock belongs to an open file description, so a second descriptor conflicts with any
    // holder, in this process or another.
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

bool FlockInstanceMarker::acquire() {
    if (mFd >= 0) {
        return true;
    }
    const int fd = openLockFile(mPath);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    mFd = fd;
    return true;
}

void FlockInstanceMarker::release() {
    if (mFd >= 0) {
        ::close(mFd);
        mFd = -1;
    }
}

} // namespace tavrin

#pragma once

#include "platform/InstanceMarker.h"

#include <string>

namespace tavrin {

// flock on a lock file named after "TAVRIN_MUTEX" and the user id in $XDG_RUNTIME_DIR (else
// the temp folder). The kernel drops the lock when the process dies.
class FlockInstanceMarker : public InstanceMarker {
public:
    // An empty folder means the default one.
    explicit FlockInstanceMarker(std::string folder = {});
    ~FlockInstanceMarker() override;

    bool heldElsewhere() override;
    void acquire() override;
    void release() override;

    const std::string& lockPath() const { return mPath; }

private:
    std::string mPath;
    int mFd = -1;
};

} // namespace tavrin

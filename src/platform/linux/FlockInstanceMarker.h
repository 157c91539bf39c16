#pragma once

#include "platform/InstanceMarker.h"

#include <string>

namespace tavrin {

// flock on a lock file named after "TAVRIN_MUTEX" in the folder that holds the program's files,
// so two copies that would write the same files exclude each other, whatever their session.
// The kernel drops the lock when the process dies.
class FlockInstanceMarker : public InstanceMarker {
public:
    explicit FlockInstanceMarker(std::string folder);
    ~FlockInstanceMarker() override;

    bool heldElsewhere() override;
    bool acquire() override;
    void release() override;

    const std::string& lockPath() const { return mPath; }

private:
    std::string mPath;
    int mFd = -1;
};

} // namespace tavrin

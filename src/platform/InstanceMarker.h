#pragma once

namespace tavrin {

// A marker that the first running instance holds, so a second one can tell it is not alone.
class InstanceMarker {
public:
    virtual ~InstanceMarker() = default;
    // True when another instance holds the marker.
    virtual bool heldElsewhere() = 0;
    // Takes the marker when nobody holds it; a second instance takes nothing. False when it
    // could not be taken, so this instance may not act as the first.
    virtual bool acquire() = 0;
    virtual void release() = 0;
};

} // namespace tavrin

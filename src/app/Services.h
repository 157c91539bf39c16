#pragma once

namespace tavrin {

class Dialogs;
class FileSystem;
class InstanceMarker;

// The platform services a window reaches; the program passes the real ones, tests stand-ins.
struct Services {
    FileSystem& fs;
    Dialogs& dialogs;
    InstanceMarker& instanceMarker;
};

} // namespace tavrin

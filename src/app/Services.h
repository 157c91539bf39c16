#pragma once

namespace tavrin {

class Clipboard;
class Dialogs;
class FileSystem;
class Help;
class InstanceMarker;

// The platform services a window reaches; the program passes the real ones, tests stand-ins.
struct Services {
    FileSystem& fs;
    Dialogs& dialogs;
    InstanceMarker& instanceMarker;
    Clipboard& clipboard;
    Help& help;
};

} // namespace tavrin

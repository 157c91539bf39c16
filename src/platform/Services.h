#pragma once

namespace tavrin {

class Clipboard;
class Dialogs;
class FileSystem;
class Help;
class Icons;
class InstanceMarker;
class Registry;
class Shell;

// The platform services a window reaches; the program passes the real ones, tests stand-ins.
struct Services {
    FileSystem& fs;
    Dialogs& dialogs;
    InstanceMarker& instanceMarker;
    Clipboard& clipboard;
    Help& help;
    Shell& shell;
    Registry& registry;
    Icons& icons;
    // The program's own files (catalogue, settings) under kOwnFolder.
    FileSystem& ownFiles;
};

// The Windows path of the folder that holds the program's own files in `Services::ownFiles`.
inline constexpr char kOwnFolder[] = "C:\\";

} // namespace tavrin

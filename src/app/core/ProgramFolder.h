#pragma once

#include <optional>
#include <string>

// Where the program keeps "data.ixo" and "Tavrin.ini". Host paths throughout.
namespace tavrin::programfolder {

// The folder of the running executable, links resolved; nothing where the system does not say.
std::optional<std::string> executableFolder();

// "Tavrin" in $XDG_CONFIG_HOME, or in <home>/.config when that variable is unset, empty or
// relative. Nothing when home is not an absolute path either.
std::optional<std::string> userFolder(const char* xdgConfigHome, const char* home);

// True when this user may create files in the folder. Root passes every permission check, so for
// root a folder without any write bit counts as read-only too.
bool writable(const std::string& folder);

// True for an executable installed beside its shared files (<prefix>/bin and
// <prefix>/share/tavrin). Its folder is shared with other programs even when this user may write
// to it (root in /usr/bin, anyone in ~/.local/bin), so it never holds the program's files.
bool installed(const std::string& exeFolder);

// The folder of the program's files for an executable in exeFolder: that folder while it is
// writable and not installed (a portable copy keeps its files beside itself), otherwise the
// user's folder, made
// when missing (mode 0700 for each folder made). Throws AppError when it cannot be made or written.
std::string prepare(const std::string& exeFolder);

} // namespace tavrin::programfolder

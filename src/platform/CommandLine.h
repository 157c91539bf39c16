#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::commandline {

// The arguments of a Windows parameter text (CP932), as the MS C runtime of Visual C++ 2008 and
// later splits a command line: blanks (space, tab) separate; double quotes group; backslashes
// are literal unless a double quote follows them: 2n backslashes and a quote give n backslashes
// and toggle quoting, 2n+1 give n backslashes and a literal quote; "" inside quotes gives a
// literal quote and quoting goes on. A double-byte character is never split, so its trail byte
// 0x5C is no backslash. Wine quotes the arguments back into one command line by these same
// rules, so a program that splits by them sees these arguments. Delphi's ParamStr agrees except
// for backslashes before a quote and "" inside quotes, which no text this program passes holds.
std::vector<std::string> splitArguments(std::string_view parameters);

} // namespace tavrin::commandline

namespace tavrin::shellstart {

// What the host holds at a path.
struct HostFile {
    bool exists = false;
    bool folder = false;
    bool executeBit = false;
    std::string head; // the first bytes of a file, a few are enough
};

enum class Starter {
    Missing, // nothing there
    Desktop, // folders, documents and web addresses: the desktop's handler
    Wine,    // Windows programs
    Direct,  // native programs, run as they are
};

struct StartChoice {
    Starter starter = Starter::Missing;
    // The Windows path to start (with ".exe" when only that exists), or the web address.
    std::string target;
    bool webAddress = false;
};

// A scheme of two letters or more and a colon; one letter is a drive.
bool isWebAddress(std::string_view text);

// How `file` (a Windows path or a web address) is started; `inspect` tells what the host holds
// at a Windows path.
StartChoice choose(std::string_view file,
                   const std::function<HostFile(const std::string& windowsPath)>& inspect);

// True when a Windows program needs LC_ALL=ja_JP.UTF-8 to get code page 932 and to read its
// UTF-8 arguments: the locale in force for characters (LC_ALL, else LC_CTYPE, else LANG; null or
// empty counts as unset) is not Japanese UTF-8.
bool needsJapaneseLocale(const char* lcAll, const char* lcCtype, const char* lang);

} // namespace tavrin::shellstart

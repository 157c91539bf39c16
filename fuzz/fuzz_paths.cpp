#include "FuzzCheck.h"

#include "platform/CommandLine.h"
#include "platform/Cp932.h"
#include "platform/DriveTable.h"
#include "platform/PathText.h"

using namespace tavrin;

namespace {

void pathRules(std::string_view path) {
    namespace pt = pathtext;
    const std::string with = pt::withTrailingBackslash(path);
    FUZZ_CHECK(pt::hasTrailingBackslash(with));
    FUZZ_CHECK(pt::withTrailingBackslash(with) == with);
    FUZZ_CHECK(std::string_view(with).substr(0, with.size() - 1) ==
               path.substr(0, with.size() - 1));
    const std::string without = pt::withoutTrailingBackslash(path);
    FUZZ_CHECK(without == path ||
               (pt::hasTrailingBackslash(path) && without.size() + 1 == path.size()));
    if (pt::hasTrailingBackslash(path) && !pt::hasTrailingBackslash(without))
        FUZZ_CHECK(pt::withTrailingBackslash(without) == path);
    (void)pt::folderText(path);
    const std::string folder = pt::folderPart(path);
    const std::string name = pt::namePart(path);
    FUZZ_CHECK(folder + name == path);
    FUZZ_CHECK(pt::folderPart(folder) == folder);
    FUZZ_CHECK(pt::namePart(name) == name);
    const std::string ext = pt::extension(path);
    FUZZ_CHECK(ext.empty() || (ext.front() == '.' && name.ends_with(ext)));
    FUZZ_CHECK(pt::sameName(path, path));
}

// Quotes an argument so that the splitter gives it back: the MS C runtime's rules, with a
// double-byte character's 0x5C trail byte no backslash.
std::string quoted(std::string_view arg) {
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (std::size_t i = 0; i < arg.size(); ++i) {
        const char c = arg[i];
        if (cp932::isLeadByte(static_cast<unsigned char>(c)) && i + 1 < arg.size()) {
            out += c;
            out += arg[++i];
            backslashes = 0;
            continue;
        }
        if (c == '"') {
            out.append(backslashes + 1, '\\');
            backslashes = 0;
        } else {
            backslashes = c == '\\' ? backslashes + 1 : 0;
        }
        out += c;
    }
    out.append(backslashes, '\\');
    return out + "\"";
}

void commandLineRules(std::string_view parameters) {
    const std::vector<std::string> args = commandline::splitArguments(parameters);
    if (!cp932::toUtf8Strict(parameters))
        return;
    std::string joined;
    for (const std::string& a : args) {
        // A valid text splits into valid texts.
        FUZZ_CHECK(cp932::toUtf8Strict(a).has_value());
        joined += (joined.empty() ? "" : " ") + quoted(a);
    }
    FUZZ_CHECK(commandline::splitArguments(joined) == args);
}

void startRules(std::string_view file, std::uint8_t bits) {
    const shellstart::StartChoice choice =
        shellstart::choose(file, [bits, file](const std::string& windowsPath) {
            shellstart::HostFile host;
            host.exists = (bits & 1) != 0;
            host.folder = (bits & 2) != 0;
            host.executeBit = (bits & 4) != 0;
            host.head = std::string(file.substr(0, bits >> 4));
            (void)windowsPath;
            return host;
        });
    if (choice.starter == shellstart::Starter::Missing)
        FUZZ_CHECK(!choice.webAddress);
    (void)shellstart::isWebAddress(file);
}

void driveRules(std::string_view hostPath, std::string_view folder, char letter) {
    const DriveTable drives({{letter, std::string(folder)}, {'Z', "/"}});
    const std::optional<std::string> windows = drives.toWindows(hostPath);
    FUZZ_CHECK(windows.has_value() == (!hostPath.empty() && hostPath.front() == '/'));
    if (windows) {
        FUZZ_CHECK(windows->size() >= 3 && (*windows)[1] == ':' && (*windows)[2] == '\\');
    }
}

} // namespace

// The path and command-line rules are total: any bytes give an answer, and their stated
// properties hold.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::uint8_t bits = in.byte();
    const std::uint8_t letter = in.byte();
    const std::string_view folder = in.text();
    const std::string_view text = in.rest();
    pathRules(text);
    commandLineRules(text);
    startRules(text, bits);
    driveRules(text, folder, static_cast<char>(letter));
    const std::string copy(text);
    (void)shellstart::needsJapaneseLocale(copy.c_str(), nullptr, folder.empty() ? nullptr : "C");
    return 0;
}

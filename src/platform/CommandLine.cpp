#include "platform/CommandLine.h"

#include "platform/Cp932.h"
#include "platform/PathText.h"

namespace tavrin::commandline {

std::vector<std::string> splitArguments(std::string_view text) {
    std::vector<std::string> args;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t i = 0;
    for (;;) {
        while (i < text.size() && blank(text[i])) {
            ++i;
        }
        if (i == text.size()) {
            return args;
        }
        std::string arg;
        bool quoted = false;
        while (i < text.size() && (quoted || !blank(text[i]))) {
            const char c = text[i];
            if (c == '\\') {
                std::size_t end = i;
                while (end < text.size() && text[end] == '\\') {
                    ++end;
                }
                const std::size_t count = end - i;
                if (end == text.size() || text[end] != '"') {
                    arg.append(count, '\\');
                    i = end;
                    continue;
                }
                arg.append(count / 2, '\\');
                i = end;
                if (count % 2 == 1) {
                    arg += '"';
                    ++i;
                }
                continue;
            }
            if (c == '"') {
                if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
                continue;
            }
            if (cp932::isLeadByte(static_cast<unsigned char>(c)) && i + 1 < text.size()) {
                arg.append(text.substr(i, 2));
                i += 2;
                continue;
            }
            arg += c;
            ++i;
        }
        args.push_back(std::move(arg));
    }
}

} // namespace tavrin::commandline

namespace tavrin::shellstart {

namespace {

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isWindowsProgram(std::string_view path) {
    const std::string ext = pathtext::extension(path);
    return pathtext::sameName(ext, ".exe") || pathtext::sameName(ext, ".com") ||
           pathtext::sameName(ext, ".bat");
}

// A file with the execute bit on a FAT or NTFS mount may be any document; only an ELF file
// or a script is run.
bool isNativeProgram(const HostFile& file) {
    return file.executeBit && (file.head.starts_with("\x7F"
                                                     "ELF") ||
                               file.head.starts_with("#!"));
}

bool isSet(const char* value) {
    return value && *value;
}

} // namespace

bool isWebAddress(std::string_view text) {
    if (text.empty() || !isAsciiLetter(text[0])) {
        return false;
    }
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':') {
            return i >= 2;
        }
        if (!isAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return false;
}

StartChoice choose(std::string_view file,
                   const std::function<HostFile(const std::string& windowsPath)>& inspect) {
    if (isWebAddress(file)) {
        return {Starter::Desktop, std::string(file), true};
    }
    if (file.empty()) {
        return {};
    }
    std::string target(file);
    HostFile found = inspect(target);
    if (!found.exists && !pathtext::namePart(file).empty() && pathtext::extension(file).empty()) {
        target += ".exe";
        found = inspect(target);
    }
    if (!found.exists) {
        return {};
    }
    if (found.folder) {
        return {Starter::Desktop, target};
    }
    if (isWindowsProgram(target)) {
        return {Starter::Wine, target};
    }
    if (isNativeProgram(found)) {
        return {Starter::Direct, target};
    }
    return {Starter::Desktop, target};
}

bool needsJapaneseLocale(const char* lcAll, const char* lcCtype, const char* lang) {
    const char* inForce = isSet(lcAll) ? lcAll : isSet(lcCtype) ? lcCtype : lang;
    if (!isSet(inForce)) {
        return true;
    }
    std::string_view name = inForce;
    if (!name.starts_with("ja_JP.")) {
        return true;
    }
    name.remove_prefix(6);
    name = name.substr(0, name.find('@'));
    std::string charset;
    for (const char c : name) {
        if (c != '-') {
            charset += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
    }
    return charset != "utf8";
}

} // namespace tavrin::shellstart

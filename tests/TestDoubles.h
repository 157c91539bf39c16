#pragma once

#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Help.h"
#include "platform/Icons.h"
#include "platform/InstanceMarker.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/Shell.h"

#include <pthread.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tavrin::test {

// Runs `work` on a thread whose stack is only `bytes` long, so that a recursion over a deep
// tree overflows it at a depth a test can afford to build. Returns false when no such thread
// could be started.
inline bool onSmallStack(std::size_t bytes, const std::function<void()>& work) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, bytes);
    pthread_t thread;
    const auto run = [](void* w) -> void* {
        (*static_cast<const std::function<void()>*>(w))();
        return nullptr;
    };
    const bool started =
        pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&work)) == 0;
    if (started) {
        pthread_join(thread, nullptr);
    }
    pthread_attr_destroy(&attr);
    return started;
}

// A catalogue file's length field.
inline std::string le32(std::size_t n) {
    std::string out;
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
    }
    return out;
}

// A catalogue file with the given stored tree block and items block.
inline std::string catalogueFile(const std::string& treeBlock, const std::string& itemsBlock,
                                 char version = 9) {
    return std::string("IxO") + version + le32(treeBlock.size()) + treeBlock +
           le32(itemsBlock.size()) + itemsBlock;
}

// Files in memory, by exact Windows path. A path in failWrites refuses to be written; one in
// refused is there but refused on reading, as a FIFO or a device is.
class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> files;
    std::vector<std::string> failWrites;
    std::vector<std::string> unreadable;
    std::vector<std::string> refused;

    bool fileExists(const std::string& path) override { return files.count(path) > 0; }
    bool folderExists(const std::string&) override { return false; }
    using FileSystem::readFile;
    std::optional<std::string> readFile(const std::string& path) override {
        for (const auto& r : refused) {
            if (r == path) {
                throw AppError(path + " refused");
            }
        }
        auto it = files.find(path);
        for (const auto& u : unreadable) {
            if (u == path) {
                return std::nullopt;
            }
        }
        return it == files.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    bool writeFileAtomic(const std::string& path, std::string_view bytes) override {
        for (const auto& f : failWrites) {
            if (f == path) {
                return false;
            }
        }
        files[path] = std::string(bytes);
        return true;
    }
    bool renameFile(const std::string& from, const std::string& to) override {
        if (!files.count(from) || files.count(to)) {
            return false;
        }
        files[to] = files[from];
        files.erase(from);
        return true;
    }
    std::vector<Entry> listFolder(const std::string&) override { return {}; }
    void removeInterruptedWrites(const std::string& path) override { cleaned.push_back(path); }
    std::vector<std::string> cleaned;
};

// Records every box and answers from a script (the default button when the script is empty);
// the folder browser likewise answers from `folders` (cancel when empty).
class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        std::string text, caption;
        MsgIcon icon;
        MsgButtons buttons;
        MsgResult defaultButton;
    };
    std::vector<Shown> shown;
    std::deque<MsgResult> answers;
    std::vector<std::string> folderPrompts;
    std::deque<std::optional<std::string>> folders;
    // File dialogs: every request in order, answered from `files` (cancel when empty).
    std::vector<OpenFileRequest> fileRequests;
    std::deque<std::optional<std::string>> files;
    // Font dialogs: every initial font in order, answered from `fonts` (cancel when empty).
    std::vector<FontChoice> fontRequests;
    std::deque<std::optional<FontChoice>> fonts;

    MsgResult messageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                         MsgButtons buttons, MsgResult defaultButton) override {
        shown.push_back({text, caption, icon, buttons, defaultButton});
        if (answers.empty()) {
            return defaultButton;
        }
        MsgResult r = answers.front();
        answers.pop_front();
        return r;
    }
    std::optional<std::string> browseForFolder(const std::string& prompt) override {
        folderPrompts.push_back(prompt);
        if (folders.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> r = folders.front();
        folders.pop_front();
        return r;
    }
    std::optional<std::string> openFile(const OpenFileRequest& request) override {
        fileRequests.push_back(request);
        if (files.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> r = files.front();
        files.pop_front();
        return r;
    }
    std::optional<FontChoice> chooseFont(const FontChoice& initial) override {
        fontRequests.push_back(initial);
        if (fonts.empty()) {
            return std::nullopt;
        }
        std::optional<FontChoice> r = fonts.front();
        fonts.pop_front();
        return r;
    }
};

class FakeInstanceMarker : public InstanceMarker {
public:
    bool otherHolds = false;
    bool held = false;
    int releases = 0;

    bool heldElsewhere() override { return otherHolds; }
    // A marker that cannot be taken at all, as in a folder without write access.
    bool unavailable = false;
    bool acquire() override {
        held = !otherHolds && !unavailable;
        return held;
    }
    void release() override {
        held = false;
        ++releases;
    }
};

class FakeClipboard : public Clipboard {
public:
    std::optional<std::string> items;
    std::string text;
    bool failOpen = false;

    bool hasItemData() override { return items.has_value(); }
    bool setItemData(const std::string& itemData, const std::string& plainText) override {
        if (failOpen) {
            return false;
        }
        items = itemData;
        text = plainText;
        return true;
    }
    Read itemData(std::string& out) override {
        if (!items) {
            return Read::absent;
        }
        if (failOpen) {
            return Read::cannotOpen;
        }
        out = *items;
        return Read::ok;
    }
};

class RecordingHelp : public Help {
public:
    std::vector<std::pair<std::string, int>> shown; // context -1: contents

    void showContents(const std::string& helpFile) override { shown.emplace_back(helpFile, -1); }
    void showContext(const std::string& helpFile, int context) override {
        shown.emplace_back(helpFile, context);
    }
};

// Records every start; answers with `result`.
class RecordingShell : public Shell {
public:
    struct Start {
        std::string file, parameters, directory;
    };
    std::vector<Start> starts;
    std::vector<std::string> properties;
    int result = 42;

    int execute(const std::string& file, const std::string& parameters,
                const std::string& directory) override {
        starts.push_back({file, parameters, directory});
        return result;
    }
    void showProperties(const std::string& path) override { properties.push_back(path); }

    // Every start is a Windows program through Wine unless told otherwise.
    Readiness ready{Hindrance::none, true, "/home/me/.wine"};
    Readiness readiness(const std::string&) override { return ready; }
    // While the prefix is being made, what waits for it.
    bool making = false;
    std::vector<std::function<void()>> waiting;
    void whenPrepared(std::function<void()> then) override {
        if (making) {
            waiting.push_back(std::move(then));
        } else {
            then();
        }
    }
};

// Keys by their path as written, values by name; `writes` in order. A value named in
// failWrites refuses; one in notStrings is there but not a string.
class MemoryRegistry : public Registry {
public:
    std::map<std::string, std::map<std::string, std::string>> keys;
    std::vector<std::string> notStrings;
    std::vector<std::string> failWrites;
    std::vector<std::string> writes; // "key|name=data"

    Read readString(const std::string& key, const std::string& valueName,
                    std::string& out) override {
        for (const auto& n : notStrings) {
            if (n == valueName) {
                return Read::notString;
            }
        }
        auto k = keys.find(key);
        if (k == keys.end() || !k->second.count(valueName)) {
            return Read::absent;
        }
        out = k->second.at(valueName);
        return Read::ok;
    }
    bool writeString(const std::string& key, const std::string& valueName,
                     const std::string& data) override {
        for (const auto& n : failWrites) {
            if (n == valueName) {
                return false;
            }
        }
        keys[key][valueName] = data;
        writes.push_back(key + "|" + valueName + "=" + data);
        return true;
    }
};

// Every service a window reaches, as stand-ins.
// Pictures named after what was asked for: "file:<path>", "web:", "folder:", "document:<path>"
// and "fallback"; a path in `files` has its own icon, nothing else has one.
class NamedIcons : public Icons {
public:
    std::vector<std::string> files;
    bool desktopFails = false;
    std::vector<std::string> asked;

    std::optional<std::string> fileIcon(const std::string& path) override {
        asked.push_back("file:" + path);
        for (const auto& f : files) {
            if (f == path) {
                return "file:" + path;
            }
        }
        return std::nullopt;
    }
    std::optional<std::string> desktopIcon(Desktop kind, const std::string& path) override {
        static const char* const names[] = {"web:", "folder:", "document:"};
        const std::string name =
            names[static_cast<int>(kind)] + (kind == Desktop::Document ? path : std::string());
        asked.push_back(name);
        if (desktopFails) {
            return std::nullopt;
        }
        return name;
    }
    std::string fallbackIcon() override { return "fallback"; }
};

struct FakeServices {
    MemoryFileSystem fs;
    ScriptedDialogs dialogs;
    FakeInstanceMarker marker;
    FakeClipboard clipboard;
    RecordingHelp help;
    RecordingShell shell;
    MemoryRegistry registry;
    NamedIcons icons;

    // The program's own files share the one file system, at the paths the tests give.
    Services services() {
        return {fs, dialogs, marker, clipboard, help, shell, registry, icons, fs};
    }
};

} // namespace tavrin::test

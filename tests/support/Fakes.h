// Stand-ins for the platform services, scripted and recording, for tests with and without Qt.
#pragma once

#include "platform/AppError.h"
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/Icons.h"
#include "platform/InstanceMarker.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/Shell.h"
#include "support/MemoryFileSystem.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tavrin::test {

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
        return next(answers, defaultButton);
    }
    std::optional<std::string> browseForFolder(const std::string& prompt) override {
        folderPrompts.push_back(prompt);
        return next(folders, std::nullopt);
    }
    std::optional<std::string> openFile(const OpenFileRequest& request) override {
        fileRequests.push_back(request);
        return next(files, std::nullopt);
    }
    std::optional<FontChoice> chooseFont(const FontChoice& initial) override {
        fontRequests.push_back(initial);
        return next(fonts, std::nullopt);
    }

private:
    template <typename T, typename Else> static T next(std::deque<T>& script, Else otherwise) {
        if (script.empty()) {
            return otherwise;
        }
        T r = std::move(script.front());
        script.pop_front();
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
        int codePage = 0;
    };
    std::vector<Start> starts;
    std::vector<std::string> properties;
    int result = 42;
    // How a watched start ends, told at once.
    Outcome outcome;
    // What each watched start that ran wants told when it ends, in start order.
    std::vector<std::function<void()>> finished;

    int execute(const std::string& file, const std::string& parameters,
                const std::string& directory) override {
        starts.push_back({file, parameters, directory});
        return result;
    }
    int execute(const std::string& file, const std::string& parameters,
                const std::string& directory, const StartOptions& options) override {
        starts.push_back({file, parameters, directory, options.codePage});
        if (result > 32 && options.ended)
            options.ended(outcome);
        if (result > 32 && outcome.ran && options.finished)
            finished.push_back(options.finished);
        return result;
    }
    void showProperties(const std::string& path) override { properties.push_back(path); }
    // Every start so far, as "file|parameters|directory;".
    std::string started() const {
        std::string out;
        for (const Start& s : starts) {
            out += s.file + "|" + s.parameters + "|" + s.directory + ";";
        }
        return out;
    }

    // Every start is a Windows program through Wine unless told otherwise.
    Readiness ready{Hindrance::none, true, "/home/me/.wine", {}};
    Readiness readiness(const std::string&, int) override { return ready; }
    bool fullScreen = true;
    bool fullScreenPossible() override { return fullScreen; }
    // While the prefix is being made, what waits for it, by key.
    bool making = false;
    std::vector<std::pair<std::string, std::function<void()>>> waiting;
    void whenPrepared(std::function<void()> then, const std::string& key) override {
        if (!making) {
            then();
            return;
        }
        for (auto& [k, step] : waiting) {
            if (!key.empty() && k == key) {
                step = std::move(then);
                return;
            }
        }
        waiting.emplace_back(key, std::move(then));
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
        if (std::ranges::count(notStrings, valueName)) {
            return Read::notString;
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
        if (std::ranges::count(failWrites, valueName)) {
            return false;
        }
        keys[key][valueName] = data;
        writes.push_back(key + "|" + valueName + "=" + data);
        return true;
    }
};

// Pictures named after what was asked for: "file:<path>", "web:", "folder:", "document:<path>"
// and "fallback"; a path in `files` has its own icon, nothing else has one.
class NamedIcons : public Icons {
public:
    std::vector<std::string> files;
    bool desktopFails = false;
    std::vector<std::string> asked;

    std::optional<std::string> fileIcon(const std::string& path) override {
        asked.push_back("file:" + path);
        if (std::ranges::count(files, path)) {
            return "file:" + path;
        }
        return std::nullopt;
    }
    std::optional<std::string> desktopIcon(Desktop kind, const std::string& path) override {
        static const char* const names[] = {"web:", "folder:", "document:"};
        const std::string name =
            names[static_cast<int>(kind)] + (kind == Desktop::document ? path : std::string());
        asked.push_back(name);
        if (desktopFails) {
            return std::nullopt;
        }
        return name;
    }
    std::string fallbackIcon() override { return "fallback"; }
};

// The message of the AppError that `work` throws; "no error" when it throws none.
inline std::string errorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const AppError& e) {
        return e.what();
    }
    return "no error";
}

// Every service a window reaches, as stand-ins. The program's own files share the one file
// system, at the paths the tests give.
struct FakeServices {
    MemoryFileSystem fs;
    ScriptedDialogs dialogs;
    FakeInstanceMarker marker;
    FakeClipboard clipboard;
    RecordingHelp help;
    RecordingShell shell;
    MemoryRegistry registry;
    NamedIcons icons;

    // With `files`, `pictures` or `keys` in place of the stand-ins where given; the program's own
    // files stay in memory.
    Services services(FileSystem* files = nullptr, Icons* pictures = nullptr,
                      Registry* keys = nullptr) {
        return {files ? *files : fs,
                dialogs,
                marker,
                clipboard,
                help,
                shell,
                keys ? *keys : registry,
                pictures ? *pictures : icons,
                fs};
    }
};

} // namespace tavrin::test

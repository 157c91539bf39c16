#pragma once

#include "app/Services.h"
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Help.h"
#include "platform/InstanceMarker.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace tavrin::test {

// A catalogue file with the given stored tree block and items block.
inline std::string catalogueFile(const std::string& treeBlock, const std::string& itemsBlock,
                                 char version = 9) {
    const auto le32 = [](std::size_t n) {
        std::string out;
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
        }
        return out;
    };
    return std::string("IxO") + version + le32(treeBlock.size()) + treeBlock +
           le32(itemsBlock.size()) + itemsBlock;
}

// Files in memory, by exact Windows path. A path in failWrites refuses to be written.
class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> files;
    std::vector<std::string> failWrites;
    std::vector<std::string> unreadable;

    bool fileExists(const std::string& path) override { return files.count(path) > 0; }
    bool folderExists(const std::string&) override { return false; }
    std::optional<std::string> readFile(const std::string& path) override {
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
};

// Records every box and answers from a script (the default button when the script is empty).
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
};

class FakeInstanceMarker : public InstanceMarker {
public:
    bool otherHolds = false;
    bool held = false;
    int releases = 0;

    bool heldElsewhere() override { return otherHolds; }
    void acquire() override { held = !otherHolds; }
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

// Every service a window reaches, as stand-ins.
struct FakeServices {
    MemoryFileSystem fs;
    ScriptedDialogs dialogs;
    FakeInstanceMarker marker;
    FakeClipboard clipboard;
    RecordingHelp help;

    Services services() { return {fs, dialogs, marker, clipboard, help}; }
};

} // namespace tavrin::test

// A folder walk's host that writes down every hand-over.
#pragma once

#include "catalogue/Catalogue.h"
#include "search/FolderScan.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace tavrin::test {

inline const std::vector<std::string> kBothMarkers = {"RPG_RT.lmt", "GAME.EXE"};

// Hand-overs as "show <folder>" and "add <folder> <marker>". Given a catalogue, it adds what is
// found as the search window does, through the rules under test.
class ScanRecorder : public ScanHost {
public:
    std::vector<std::string> events;
    bool cancel = false; // what terminated() answers
    int terminatedReads = 0;
    std::function<void(const std::string&)> onShow;
    Catalogue* catalogue = nullptr;
    DuplicateCheck* duplicates = nullptr;

    explicit ScanRecorder(FileSystem& fs) : mFs(fs) {}

    bool terminated() override {
        ++terminatedReads;
        return cancel;
    }
    void showSearchedFolder(const std::string& folder) override {
        events.push_back("show " + folder);
        if (onShow)
            onShow(folder);
    }
    void addFoundProject(const std::string& folder, const std::string& marker) override {
        events.push_back("add " + folder + " " + marker);
        if (!catalogue)
            return;
        if (auto item = recognizeProject(mFs, folder, marker, duplicates)) {
            catalogue->addFoundItem(item->path, item->title, item->kind);
            if (duplicates)
                duplicates->add(item->path);
        }
    }
    std::vector<std::string> sorted() const {
        std::vector<std::string> out = events;
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    FileSystem& mFs;
};

} // namespace tavrin::test

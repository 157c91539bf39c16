#pragma once

#include "catalogue/ProjectItem.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tavrin {

// A folder's projects in display order, used like the std::deque that holds them: index access
// is constant time and both ends grow cheaply, which the virtual list and the scanner rely on.
//
// A folder read from the catalogue file first keeps its records as the file held them, already
// checked, and makes its items on first use: a start-up with a million items makes only the
// shown folder's, and a folder never opened is written back as it was read.
class ItemList {
public:
    using Items = std::deque<ProjectItem>;
    using value_type = ProjectItem;
    using size_type = Items::size_type;
    using difference_type = Items::difference_type;
    using reference = ProjectItem&;
    using const_reference = const ProjectItem&;
    using iterator = Items::iterator;
    using const_iterator = Items::const_iterator;

    // `records` lies inside `file`: `count` records of the form Path 1C Title 1C [kind] 1D, the
    // form the writer makes, so they can be written back unchanged.
    void keepRecords(std::shared_ptr<const void> file, std::string_view records,
                     std::size_t count) {
        mItems.reset();
        mFile = std::move(file);
        mRecords = records;
        mCount = count;
    }
    // The records still kept from the file, or nothing once the items are made.
    std::optional<std::string_view> keptRecords() const {
        return mFile ? std::optional<std::string_view>(mRecords) : std::nullopt;
    }
    // The bytes that hold the kept records, shared with whoever reads them elsewhere.
    const std::shared_ptr<const void>& keptFile() const { return mFile; }

    Items& items() { return made(); }
    const Items& items() const { return made(); }

    size_type size() const { return mFile ? mCount : mItems ? mItems->size() : 0; }
    bool empty() const { return size() == 0; }
    ProjectItem& operator[](size_type i) { return made()[i]; }
    const ProjectItem& operator[](size_type i) const { return made()[i]; }
    ProjectItem& front() { return made().front(); }
    const ProjectItem& front() const { return made().front(); }
    ProjectItem& back() { return made().back(); }
    const ProjectItem& back() const { return made().back(); }
    iterator begin() { return made().begin(); }
    iterator end() { return made().end(); }
    const_iterator begin() const { return made().begin(); }
    const_iterator end() const { return made().end(); }

    void push_back(const ProjectItem& item) { made().push_back(item); }
    void push_back(ProjectItem&& item) { made().push_back(std::move(item)); }
    template <typename... Args> ProjectItem& emplace_back(Args&&... args) {
        return made().emplace_back(std::forward<Args>(args)...);
    }
    void push_front(ProjectItem&& item) { made().push_front(std::move(item)); }
    iterator insert(const const_iterator& at, ProjectItem&& item) {
        return made().insert(at, std::move(item));
    }
    iterator insert(const const_iterator& at, const ProjectItem& item) {
        return made().insert(at, item);
    }
    template <typename It> iterator insert(const_iterator at, It first, It last) {
        return made().insert(at, first, last);
    }
    iterator erase(const const_iterator& at) { return made().erase(at); }
    iterator erase(const const_iterator& first, const const_iterator& last) {
        return made().erase(first, last);
    }
    void clear() {
        mFile.reset();
        mItems.reset();
    }
    void swap(Items& other) { made().swap(other); }

    friend bool operator==(const ItemList& a, const ItemList& b) { return a.made() == b.made(); }

private:
    // Parses the kept records; they were checked when the file was read, so this cannot fail.
    void makeItems() const;
    Items& made() const {
        if (mFile) {
            makeItems();
        } else if (!mItems) {
            mItems = std::make_unique<Items>();
        }
        return *mItems;
    }

    // Made when first needed: an empty deque already holds half a kilobyte, and a catalogue
    // may have ten thousand folders.
    mutable std::unique_ptr<Items> mItems;
    mutable std::shared_ptr<const void> mFile; // set while the records are kept
    std::string_view mRecords;
    std::size_t mCount = 0;
};

// The data of one folder.
struct FolderNode {
    ItemList items;
};

} // namespace tavrin

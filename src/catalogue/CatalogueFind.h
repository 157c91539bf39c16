#pragma once

#include "catalogue/ProjectItem.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

class FolderTree;

// A CP932 text as the find box compares it: half-width katakana as full-width, a voiced or
// semi-voiced mark joined to its kana (ｶﾞ as ガ), full-width ASCII and the ideographic blank as
// ASCII, letters in lower case, and control bytes as blanks. Characters stay whole: a lead byte
// still opens two bytes, so a match can be told from one that starts inside a character.
std::string foldForFind(std::string_view cp932);

// Whether the folded `text` holds the folded `needle` from a character's start on.
bool holdsFolded(std::string_view text, std::string_view needle);

// The catalogue's items as the find box reads them, taken on the window's thread and read on
// another: a folder whose records are still kept shares the catalogue file's bytes; the items of
// a folder already made are copied, in the same record form.
struct FindSource {
    struct Folder {
        std::string path; // the folder's names from the top, parted by backslashes
        std::shared_ptr<const void> bytes;
        std::string_view records; // inside bytes: Path 1C Title 1C [kind] 1D each
        std::size_t count = 0;    // its items, to size the index by
    };
    std::vector<Folder> folders;
};
std::shared_ptr<const FindSource> findSource(const FolderTree& tree);

// Every item of a source with its title and path folded one after another, so that a search is
// a scan of one block.
class FindIndex {
public:
    // Nothing when `cancelled` turned true meanwhile.
    static std::shared_ptr<const FindIndex> build(std::shared_ptr<const FindSource> source,
                                                  const std::atomic<bool>* cancelled = nullptr);

    std::size_t size() const { return mSize; }
    ProjectItem item(std::size_t entry) const;
    const std::string& folderPath(std::size_t entry) const;

    // The entries whose title or path holds `text`, in the catalogue's order; none for a text
    // that folds to nothing, or when `cancelled` turned true meanwhile. `early`, when given, is
    // told the first `earlyCount` entries as soon as that many are found: a list can show its
    // first screen before a long search ends.
    using Early = std::function<void(const std::vector<std::uint32_t>&)>;
    std::vector<std::uint32_t> find(std::string_view text,
                                    const std::atomic<bool>* cancelled = nullptr,
                                    std::size_t earlyCount = 0, const Early& early = {}) const;

private:
    struct Entry {
        std::string_view record;
        std::uint32_t folder;
    };
    // Folded bytes, written in place: a block of a hundred megabytes is neither zeroed first
    // nor grown by copies.
    class FoldedText {
    public:
        std::string_view view() const { return {mBytes.get(), mSize}; }
        std::size_t size() const { return mSize; }
        // Where `bytes` more may be written; `written` then says where they ended.
        char* room(std::size_t bytes);
        void written(const char* end) { mSize = static_cast<std::size_t>(end - mBytes.get()); }

    private:
        std::unique_ptr<char[]> mBytes;
        std::size_t mSize = 0;
        std::size_t mCapacity = 0;
    };
    // The entries of a run of folders.
    struct Part {
        FoldedText folded;               // per entry: folded title, 0A, folded path, 0A
        std::vector<std::size_t> starts; // where each entry's folded text starts, then the end
        std::size_t first = 0;           // its first entry's number
        std::vector<Entry> entries;
    };
    const Entry& entryAt(std::size_t entry) const;
    static Part buildPart(const FindSource& source, std::size_t firstFolder, std::size_t endFolder,
                          std::size_t mostEntries, const std::atomic<bool>* cancelled);

    std::shared_ptr<const FindSource> mSource;
    std::size_t mSize = 0;
    std::vector<Part> mParts;
};

// What a find gave: the entries of an index, to be shown in place of a folder's rows.
struct FoundItems {
    std::shared_ptr<const FindIndex> index;
    std::vector<std::uint32_t> entries;
};

} // namespace tavrin

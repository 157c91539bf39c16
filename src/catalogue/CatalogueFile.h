#pragma once

#include "catalogue/Catalogue.h"
#include "platform/FileSystem.h"

#include <future>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tavrin {

class Dialogs;

// A structural fault in a catalogue file; the program's own writer never makes one.
class CatalogueFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text as the catalogue file can hold it: control bytes (the file's separators and line
// ends among them) become blanks. Control bytes are never part of a double-byte character.
std::string storableText(std::string_view text);

// One item record of "data.ixo" without its final 1D, read in place; nothing for a record
// without a separator.
struct RecordFields {
    std::string_view path;
    std::string_view title;
    ProjectKind kind;
};
std::optional<RecordFields> recordFields(std::string_view record);

// The blocks of "data.ixo". Loaders throw CatalogueFormatError and may leave the tree half
// built; callers clear it.
std::string treeText(const FolderTree& tree);
void readTreeText(FolderTree& tree, std::string_view stored);
std::string itemListsText(const FolderTree& tree);
// Bytes equal to those read, where folders keep their records while their items are not yet
// made: `at` matches the first byte read, `owner` keeps them.
struct KeptBytes {
    std::shared_ptr<const void> owner;
    const char* at = nullptr;
};
// `block` ends at its first zero byte; `kept` holds its bytes.
void readItemLists(FolderTree& tree, std::string_view block, const KeptBytes& kept);

// The whole file.
std::string serializeCatalogue(const FolderTree& tree);
enum class CatalogueParse { ok, badIdentifier, invalid };
// Fills an empty tree. On anything but ok the tree is left empty.
CatalogueParse parseCatalogue(std::string_view bytes, FolderTree& tree);
// The same, the folders keeping their records inside `file` until first used.
CatalogueParse parseCatalogue(const std::shared_ptr<const std::string>& file, FolderTree& tree);
// The same, the folders keeping their records in `kept`.
CatalogueParse parseCatalogue(std::string_view bytes, const KeptBytes& kept, FolderTree& tree);

// The records of a catalogue parsed in a mapped file, which its folders keep there until they
// are moved into a copy of the program's own, made off the window's thread: the file may then
// change or go without the catalogue noticing. Parsing in the mapping and copying later saves a
// start-up with a large catalogue the time the copy takes.
class MappedRecords {
public:
    explicit MappedRecords(FileSystem::HeldFile file);
    // Waits for the copy.
    ~MappedRecords();
    MappedRecords(const MappedRecords&) = delete;
    MappedRecords& operator=(const MappedRecords&) = delete;

    // Whether the copy is made; the first call starts it.
    bool copied();
    // The tree's records kept in the mapping, kept in the copy instead; waits for it.
    void moveInto(FolderTree& tree);
    // Gives up the copy; the folders' records stay in the mapping, which they keep.
    void keepMapped();

private:
    FileSystem::HeldFile mFile;
    std::shared_ptr<char[]> mCopy;
    std::future<bool> mCopying; // whether the file was still unchanged once copied
};

// A file's bytes made into a tree.
struct ParsedCatalogue {
    CatalogueParse result = CatalogueParse::ok;
    std::unique_ptr<FolderTree> tree;
    // Set when the tree's folders keep their records in a mapped file.
    std::shared_ptr<MappedRecords> mapping;
};
ParsedCatalogue parseCatalogueFile(std::string bytes);
ParsedCatalogue parseCatalogueFile(const FileSystem::HeldFile& file);

// A catalogue file read and parsed on a thread of its own, started before the program's window
// is built, so a large catalogue is ready about when the window asks for it.
class CatalogueReadAhead {
public:
    // The thread reads `path` through `fs`, which nothing else may use meanwhile.
    CatalogueReadAhead(std::shared_ptr<FileSystem> fs, std::string path);
    // Waits for the thread.
    ~CatalogueReadAhead();
    CatalogueReadAhead(const CatalogueReadAhead&) = delete;
    CatalogueReadAhead& operator=(const CatalogueReadAhead&) = delete;

    const std::string& path() const { return mPath; }
    // The parsed file, or nothing when it could not be read then. Waits; given once.
    std::optional<ParsedCatalogue> take();

private:
    std::string mPath;
    std::future<std::optional<ParsedCatalogue>> mParsed;
};

// "data.ixo" at one path: read at start-up, written at shutdown.
class CatalogueFile {
public:
    CatalogueFile(FileSystem& fs, Dialogs& dialogs, std::string path);

    const std::string& path() const { return mPath; }

    // The file's catalogue, or the default tree when there is no file. A file read ahead for
    // this path is taken instead of reading it again.
    void load(Catalogue& catalogue, CatalogueReadAhead* readAhead = nullptr);
    // Replaces the tree by the file's content, or shows why it cannot and leaves it empty.
    void read(Catalogue& catalogue, CatalogueReadAhead* readAhead = nullptr);
    // Throws AppError when the file cannot be written; the old file then stays whole. A file
    // that could not be read is first kept aside as "<name>.bak" (or ".bak2", ...).
    void write(const Catalogue& catalogue);

    // True while a file that failed to load waits to be kept aside.
    bool keepsUnreadable() const { return mKeepUnreadable; }
    // Moves records still kept in the mapped file into the program's own memory; without
    // `wait`, only once they are copied. True when none are left there.
    bool settle(Catalogue& catalogue, bool wait);

private:
    void fail(Catalogue& catalogue, const std::string& message);
    std::string freeBackupPath() const;
    void selectAfterLoad(Catalogue& catalogue);

    FileSystem& mFs;
    Dialogs& mDialogs;
    std::string mPath;
    bool mKeepUnreadable = false;
    std::string mBackupPath; // where the unreadable file goes at the close
    std::shared_ptr<MappedRecords> mMapping;
};

// The tree of a first start: "Tavrin" with "RPG" selected.
void buildDefaultTree(Catalogue& catalogue);

} // namespace tavrin

#include "catalogue/CatalogueFile.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/TextLines.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <future>
#include <memory>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavrin {

namespace {

constexpr char kRecordEnd = 0x1D;
constexpr char kFieldSep = 0x1C;
constexpr char kGroupEnd = 0x1E;

std::string_view upToZero(std::string_view block) {
    auto zero = block.find('\0');
    return zero == std::string_view::npos ? block : block.substr(0, zero);
}

void putLength(std::string& out, std::size_t n) {
    auto v = static_cast<std::uint32_t>(n);
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

// Reads the little-endian length and the block it announces; false when the file is shorter.
bool takeBlock(std::string_view& rest, std::string_view& block) {
    if (rest.size() < 4) {
        return false;
    }
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i) {
        n |= static_cast<std::uint32_t>(
                 static_cast<unsigned char>(rest[static_cast<std::size_t>(i)]))
             << (8 * i);
    }
    rest.remove_prefix(4);
    if (n > rest.size()) {
        return false;
    }
    block = rest.substr(0, n);
    rest.remove_prefix(n);
    return true;
}

ProjectItem parseRecord(std::string_view record) {
    const std::optional<RecordFields> fields = recordFields(record);
    if (!fields) {
        throw CatalogueFormatError("record without separator");
    }
    return {std::string(fields->path), std::string(fields->title), fields->kind};
}

void parseGroup(std::string_view group, ItemList::Items& items) {
    std::size_t pos = 0;
    while (pos < group.size()) {
        auto end = group.find(kRecordEnd, pos);
        if (end == std::string_view::npos) {
            throw CatalogueFormatError("group without final record end");
        }
        items.push_back(parseRecord(group.substr(pos, end - pos)));
        pos = end + 1;
    }
}

// The bytes below 0x20 of a block in order: its separators, and the zero that ends it. A
// catalogue of a million items is tens of megabytes of text, so they are found 64 bytes at a
// time.
class ControlBytes {
public:
    ControlBytes(const char* begin, const char* end) : mChunk(begin), mEnd(end) { load(); }

    // The next one, or the block's end.
    const char* next() {
        while (mMask == 0) {
            if (mEnd - mChunk <= 64) {
                return mEnd;
            }
            mChunk += 64;
            load();
        }
        const char* p = mChunk + std::countr_zero(mMask);
        mMask &= mMask - 1;
        return p;
    }

private:
    void load() {
        mMask = 0;
        const auto n = std::min<std::ptrdiff_t>(64, mEnd - mChunk);
#if defined(__SSE2__)
        if (n == 64) {
            const __m128i maxControl = _mm_set1_epi8(0x1F);
            for (int i = 0; i < 4; ++i) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mChunk) + i);
                const __m128i below = _mm_cmpeq_epi8(_mm_min_epu8(v, maxControl), v);
                mMask |=
                    static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(below)))
                    << (16 * i);
            }
            return;
        }
#endif
        for (std::ptrdiff_t i = 0; i < n; ++i) {
            if (static_cast<unsigned char>(mChunk[i]) < 0x20) {
                mMask |= std::uint64_t{1} << i;
            }
        }
    }

    const char* mChunk;
    const char* const mEnd;
    std::uint64_t mMask = 0;
};

// One folder's group as the reader sees it, checked without making its items.
struct Group {
    std::string_view records; // without its final 1E
    std::size_t count = 0;
    // Every record as the writer makes it: Path 1C Title 1C, one kind byte or none, 1D. The
    // kind byte is never zero, since a block ends at its first zero byte.
    bool writerForm = true;
};

// The group from `first` up to its 1E, which `p` is left on; throws where parseGroup would.
Group checkGroup(const char* first, ControlBytes& controls, const char* end, const char*& p) {
    Group group;
    const char* record = first;
    const char* secondSep = nullptr;
    int seps = 0;
    for (;;) {
        p = controls.next();
        if (p == end || *p == '\0') {
            throw CatalogueFormatError("fewer groups than folders");
        }
        if (*p == kFieldSep) {
            if (++seps == 2) {
                secondSep = p;
            }
        } else if (*p == kRecordEnd) {
            if (seps == 0) {
                throw CatalogueFormatError("record without separator");
            }
            group.writerForm = group.writerForm && secondSep && p - secondSep <= 2;
            ++group.count;
            record = p + 1;
            secondSep = nullptr;
            seps = 0;
        } else if (*p == kGroupEnd) {
            break;
        }
    }
    if (record != p) {
        throw CatalogueFormatError("group without final record end");
    }
    group.records = std::string_view(first, static_cast<std::size_t>(p - first));
    return group;
}

// Whether `records`, followed by their group's end, still are `count` records in the writer's
// form.
bool readsAs(std::string_view records, std::size_t count) {
    const char* const end = records.data() + records.size() + 1;
    ControlBytes controls(records.data(), end);
    const char* p = nullptr;
    try {
        const Group group = checkGroup(records.data(), controls, end, p);
        return p + 1 == end && group.count == count && group.writerForm;
    } catch (const CatalogueFormatError&) {
        return false;
    }
}

} // namespace

std::optional<RecordFields> recordFields(std::string_view record) {
    const auto sep1 = record.find(kFieldSep);
    if (sep1 == std::string_view::npos) {
        return std::nullopt;
    }
    RecordFields fields{record.substr(0, sep1), record.substr(sep1 + 1), pkNone};
    const auto sep2 = fields.title.find(kFieldSep);
    if (sep2 == std::string_view::npos) {
        static const std::string kTsukuru95 = sj("ツクール95作品");
        fields.kind = fields.title == kTsukuru95 ? pk95 : pk2000;
        return fields;
    }
    const std::string_view kind = fields.title.substr(sep2 + 1);
    fields.title = fields.title.substr(0, sep2);
    // An empty kind field is how a pasted item (kind 0) is stored.
    fields.kind =
        kind.empty() ? pkNone : static_cast<ProjectKind>(static_cast<std::int8_t>(kind[0]));
    return fields;
}

std::string storableText(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
    return out;
}

std::string treeText(const FolderTree& tree) {
    std::string out;
    tree.forEachPreOrder([&out](TreeNode& node, int depth) {
        out.append(static_cast<std::size_t>(depth), '\t');
        out += node.name;
        out += "\r\n";
    });
    for (char& c : out) {
        if (c == '\t') {
            c = '\v';
        } else if (c == '\n') {
            c = '\r';
        } else if (c == '\r') {
            c = '\n';
        }
    }
    return out;
}

void readTreeText(FolderTree& tree, std::string_view stored) {
    std::string text(stored);
    for (char& c : text) {
        if (c == '\n') {
            c = '\r';
        } else if (c == '\v') {
            c = '\t';
        } else if (c == '\r') {
            c = '\n';
        }
    }
    tree.clear();
    // The open nodes from the previous line up to the top, each with its line's level.
    std::vector<std::pair<int, TreeNode*>> open;
    for (const std::string_view line : splitLines(text)) {
        int level = 0;
        while (static_cast<std::size_t>(level) < line.size() &&
               line[static_cast<std::size_t>(level)] == '\t') {
            ++level;
        }
        std::string name(line.substr(static_cast<std::size_t>(level)));
        if (open.empty()) {
            open.emplace_back(level, tree.append(nullptr, std::move(name)));
            continue;
        }
        const int previous = open.back().first;
        if (level > previous + 1) {
            throw CatalogueFormatError("outline skips a level");
        }
        if (level == previous + 1) {
            open.emplace_back(level, tree.append(open.back().second, std::move(name)));
            continue;
        }
        while (!open.empty() && open.back().first > level) {
            open.pop_back();
        }
        if (open.empty() || open.back().first != level) {
            throw CatalogueFormatError("outline climbs above its first line");
        }
        TreeNode* parent = tree.parentOf(open.back().second);
        open.back().second = tree.append(parent, std::move(name));
    }
}

std::string itemListsText(const FolderTree& tree) {
    std::string out;
    tree.forEachPreOrder([&out](TreeNode& node, int) {
        if (const auto kept = node.folder.items.keptRecords()) {
            out += *kept;
            out += kGroupEnd;
            return;
        }
        for (const auto& item : node.folder.items) {
            out += item.path;
            out += kFieldSep;
            out += item.title;
            out += kFieldSep;
            if (item.kind != pkNone) {
                out += static_cast<char>(item.kind);
            }
            out += kRecordEnd;
        }
        out += kGroupEnd;
    });
    return out;
}

void readItemLists(FolderTree& tree, std::string_view block, const KeptBytes& kept) {
    const char* p = block.data();
    const char* const end = p + block.size();
    if (p == end || *p == '\0') {
        return;
    }
    ControlBytes controls(p, end);
    for (TreeNode* node : tree.preOrder()) {
        const Group group = checkGroup(p, controls, end, p);
        ++p;
        if (!group.writerForm) {
            parseGroup(group.records, node->folder.items.items());
        } else if (group.count > 0) {
            const std::string_view records(kept.at + (group.records.data() - block.data()),
                                           group.records.size());
            node->folder.items.keepRecords(kept.owner, records, group.count);
        }
    }
}

void ItemList::makeItems() const {
    auto items = std::make_unique<Items>();
    parseGroup(mRecords, *items);
    mItems = std::move(items);
    mFile.reset();
}

std::string serializeCatalogue(const FolderTree& tree) {
    const std::string treeBlock = treeText(tree);
    const std::string itemsBlock = itemListsText(tree);
    std::string out = "IxO";
    out += '\x09';
    putLength(out, treeBlock.size());
    out += treeBlock;
    putLength(out, itemsBlock.size());
    out += itemsBlock;
    return out;
}

CatalogueParse parseCatalogue(std::string_view bytes, FolderTree& tree) {
    return parseCatalogue(std::make_shared<const std::string>(bytes), tree);
}

CatalogueParse parseCatalogue(const std::shared_ptr<const std::string>& file, FolderTree& tree) {
    return parseCatalogue(*file, KeptBytes{file, file->data()}, tree);
}

CatalogueParse parseCatalogue(std::string_view bytes, const KeptBytes& kept, FolderTree& tree) {
    if (bytes.substr(0, 3) != "IxO") {
        return CatalogueParse::badIdentifier;
    }
    if (bytes.size() < 4 || (bytes[3] != 8 && bytes[3] != 9)) {
        return CatalogueParse::invalid;
    }
    std::string_view rest = bytes.substr(4);
    std::string_view treeBlock;
    std::string_view itemsBlock;
    try {
        if (!takeBlock(rest, treeBlock)) {
            return CatalogueParse::invalid;
        }
        readTreeText(tree, upToZero(treeBlock));
        if (!takeBlock(rest, itemsBlock)) {
            tree.clear();
            return CatalogueParse::invalid;
        }
        readItemLists(tree, itemsBlock,
                      KeptBytes{kept.owner, kept.at + (itemsBlock.data() - bytes.data())});
    } catch (const CatalogueFormatError&) {
        tree.clear();
        return CatalogueParse::invalid;
    }
    return CatalogueParse::ok;
}

void buildDefaultTree(Catalogue& catalogue) {
    catalogue.resetTree([](FolderTree& tree) {
        TreeNode* root = tree.append(nullptr, "Tavrin");
        root->imageIndex = root->selectedIndex = tiProgram;
        root->expanded = true;
        tree.append(root, "RPG");
    });
    catalogue.selectFolder(catalogue.tree().childAt(catalogue.tree().root(), 0));
}

CatalogueFile::CatalogueFile(FileSystem& fs, Dialogs& dialogs, std::string path)
    : mFs(fs), mDialogs(dialogs), mPath(std::move(path)) {}

ParsedCatalogue parseCatalogueFile(std::string bytes) {
    ParsedCatalogue parsed;
    parsed.tree = std::make_unique<FolderTree>();
    // The folders keep their records inside the file's bytes: no copy of them is made.
    parsed.result =
        parseCatalogue(std::make_shared<const std::string>(std::move(bytes)), *parsed.tree);
    return parsed;
}

ParsedCatalogue parseCatalogueFile(const FileSystem::HeldFile& file) {
    ParsedCatalogue parsed;
    parsed.tree = std::make_unique<FolderTree>();
    parsed.result =
        parseCatalogue(file.bytes, KeptBytes{file.owner, file.bytes.data()}, *parsed.tree);
    if (file.mapped && parsed.result == CatalogueParse::ok) {
        parsed.mapping = std::make_shared<MappedRecords>(file);
    }
    return parsed;
}

MappedRecords::MappedRecords(FileSystem::HeldFile file) : mFile(std::move(file)) {}

MappedRecords::~MappedRecords() {
    if (mCopying.valid()) {
        mCopying.wait();
    }
}

void MappedRecords::keepMapped() {
    if (mCopying.valid()) {
        mCopying.wait();
    }
    mFile = {};
}

bool MappedRecords::copied() {
    if (!mCopying.valid()) {
        const std::size_t size = mFile.bytes.size();
        mCopy = std::make_shared_for_overwrite<char[]>(size);
        mCopying = std::async(std::launch::async, [this, size] {
            std::memcpy(mCopy.get(), mFile.bytes.data(), size);
            return mFile.unchanged();
        });
    }
    return mCopying.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

void MappedRecords::moveInto(FolderTree& tree) {
    copied();
    const bool unchanged = mCopying.get();
    const char* const mapped = mFile.bytes.data();
    tree.forEachPreOrder([&](TreeNode& node, int) {
        ItemList& items = node.folder.items;
        const auto kept = items.keptRecords();
        if (!kept || items.keptFile() != mFile.owner) {
            return;
        }
        const std::string_view records(mCopy.get() + (kept->data() - mapped), kept->size());
        const std::size_t count = items.size();
        // The file was written to meanwhile, and the records read are gone from it: a folder
        // whose copy does not read as its records did is left empty rather than misread.
        if (!unchanged && !readsAs(records, count)) {
            items.clear();
            return;
        }
        items.keepRecords(mCopy, records, count);
    });
    mFile = {};
}

CatalogueReadAhead::CatalogueReadAhead(std::shared_ptr<FileSystem> fs, std::string path)
    : mPath(std::move(path)) {
    mParsed = std::async(std::launch::async,
                         [fs = std::move(fs), path = mPath]() -> std::optional<ParsedCatalogue> {
                             const auto file = fs->holdFile(path, kCatalogueFileLimit);
                             if (!file) {
                                 return std::nullopt;
                             }
                             return parseCatalogueFile(*file);
                         });
}

CatalogueReadAhead::~CatalogueReadAhead() {
    if (mParsed.valid()) {
        mParsed.wait();
    }
}

std::optional<ParsedCatalogue> CatalogueReadAhead::take() {
    if (!mParsed.valid()) {
        return std::nullopt;
    }
    return mParsed.get();
}

void CatalogueFile::load(Catalogue& catalogue, CatalogueReadAhead* readAhead) {
    if (!mFs.fileExists(mPath)) {
        buildDefaultTree(catalogue);
        return;
    }
    read(catalogue, readAhead);
    selectAfterLoad(catalogue);
}

void CatalogueFile::selectAfterLoad(Catalogue& catalogue) {
    FolderTree& tree = catalogue.tree();
    TreeNode* root = tree.root();
    if (!root) {
        return;
    }
    root->imageIndex = root->selectedIndex = tiProgram;
    root->expanded = true;
    auto nodes = tree.preOrder();
    for (std::size_t i = 1; i < nodes.size(); ++i) {
        nodes[i]->imageIndex = tiClosedFolder;
        nodes[i]->selectedIndex = tiOpenFolder;
    }
    catalogue.touchFolder(root);
    catalogue.selectFolder(nodes.size() > 1 ? nodes[1] : root);
}

// The first of data.ixo.bak, .bak2, ... that is free.
std::string CatalogueFile::freeBackupPath() const {
    for (int n = 1;; ++n) {
        std::string backup = mPath + ".bak" + (n == 1 ? std::string() : std::to_string(n));
        if (!mFs.fileExists(backup) && !mFs.folderExists(backup)) {
            return backup;
        }
    }
}

void CatalogueFile::fail(Catalogue& catalogue, const std::string& message) {
    mKeepUnreadable = true;
    catalogue.clearTree();
    // The user sees an empty tree: where the catalogue went is the first thing to say.
    mBackupPath = freeBackupPath();
    mDialogs.message(message +
                         formatMessage(sj("元のファイルは、終了するときに %s として残します。"),
                                       mFs.shownPath(mBackupPath)),
                     "Tavrin");
}

void CatalogueFile::read(Catalogue& catalogue, CatalogueReadAhead* readAhead) {
    std::optional<ParsedCatalogue> parsed;
    try {
        if (readAhead && readAhead->path() == mPath) {
            parsed = readAhead->take();
        }
        // What could not be read ahead is read now, and reported as any failed read.
        if (!parsed) {
            auto bytes = mFs.readFile(mPath, kCatalogueFileLimit);
            if (!bytes) {
                if (mFs.fileExists(mPath)) {
                    fail(catalogue, formatMessage(sj("ファイル %s を開けません\n"), mPath));
                } else {
                    fail(catalogue, sj("ファイルが存在しません。\n"));
                }
                return;
            }
            parsed = parseCatalogueFile(std::move(*bytes));
        }
    } catch (const AppError& e) {
        fail(catalogue, e.what() + std::string("\n"));
        return;
    } catch (const std::exception&) {
        // Out of memory for this file: it is kept like any file that cannot be read.
        fail(catalogue, formatMessage(sj("ファイル %s を読み込めません\n"), mFs.shownPath(mPath)));
        return;
    }
    const CatalogueParse result = parsed->result;
    catalogue.resetTree([&](FolderTree& tree) { tree.adopt(*parsed->tree); });
    mMapping = std::move(parsed->mapping);
    if (result == CatalogueParse::badIdentifier) {
        fail(catalogue, sj("ファイル識別子が不正です。\n"));
    } else if (result == CatalogueParse::invalid) {
        fail(catalogue, sj("ファイルが不正です。\n"));
    } else {
        catalogue.selectFolder(catalogue.tree().root());
    }
}

bool CatalogueFile::settle(Catalogue& catalogue, bool wait) {
    if (!mMapping) {
        return true;
    }
    try {
        if (!wait && !mMapping->copied()) {
            return false;
        }
        mMapping->moveInto(catalogue.tree());
    } catch (const std::bad_alloc&) {
        // No memory for the copy: the records stay in the mapping, which serves as well.
        mMapping->keepMapped();
    }
    mMapping.reset();
    return true;
}

void CatalogueFile::write(const Catalogue& catalogue) {
    const std::string cannotCreate =
        formatMessage(sj("ファイル %s を作成できません"), mFs.shownPath(mPath));
    if (mKeepUnreadable && mFs.fileExists(mPath)) {
        std::string backup = mBackupPath;
        if (backup.empty() || mFs.fileExists(backup) || mFs.folderExists(backup)) {
            backup = freeBackupPath();
        }
        if (!mFs.renameFile(mPath, backup)) {
            throw AppError(cannotCreate);
        }
    }
    mKeepUnreadable = false;
    if (!mFs.writeFileAtomic(mPath, serializeCatalogue(catalogue.tree()))) {
        throw AppError(cannotCreate);
    }
}

} // namespace tavrin

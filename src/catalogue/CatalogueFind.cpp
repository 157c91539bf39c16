#include "catalogue/CatalogueFind.h"

#include "catalogue/CatalogueFile.h"
#include "catalogue/FolderTree.h"
#include "platform/Cp932.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <future>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavrin {

namespace {

// Half-width katakana 0xA1 to 0xDF as their full-width characters.
constexpr std::array<std::uint16_t, 63> kFullKana = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348,
    0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A,
    0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360,
    0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374,
    0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,
    0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B};

constexpr unsigned char kVoiced = 0xDE;
constexpr unsigned char kSemiVoiced = 0xDF;

// The full-width kana of a half-width one and the mark after it, and whether the mark was
// taken into it: ｶﾞ is ガ, the next code; ﾊﾟ is パ, the one after; ｳﾞ is ヴ.
std::pair<std::uint16_t, bool> fullKana(unsigned char kana, unsigned char next) {
    const std::uint16_t plain = kFullKana[kana - 0xA1];
    const bool kaToTo = kana >= 0xB6 && kana <= 0xC4;
    const bool haToHo = kana >= 0xCA && kana <= 0xCE;
    if (next == kVoiced && (kaToTo || haToHo)) {
        return {static_cast<std::uint16_t>(plain + 1), true};
    }
    if (next == kVoiced && kana == 0xB3) {
        return {0x8394, true};
    }
    if (next == kSemiVoiced && haToHo) {
        return {static_cast<std::uint16_t>(plain + 2), true};
    }
    return {plain, false};
}

// The ASCII that a full-width character after lead byte 0x81 stands for, by trail byte.
constexpr std::pair<unsigned char, char> kWideSymbols[] = {
    {0x40, ' '}, {0x43, ','}, {0x44, '.'}, {0x46, ':'}, {0x47, ';'},  {0x48, '?'}, {0x49, '!'},
    {0x4D, '`'}, {0x4F, '^'}, {0x51, '_'}, {0x5E, '/'}, {0x5F, '\\'}, {0x60, '~'}, {0x62, '|'},
    {0x69, '('}, {0x6A, ')'}, {0x6D, '['}, {0x6E, ']'}, {0x6F, '{'},  {0x70, '}'}, {0x7B, '+'},
    {0x7C, '-'}, {0x81, '='}, {0x83, '<'}, {0x84, '>'}, {0x90, '$'},  {0x93, '%'}, {0x94, '#'},
    {0x95, '&'}, {0x96, '*'}, {0x97, '@'}};

// Full-width ASCII by its two bytes, as ASCII; 0 for any other character.
char asciiOfWide(unsigned char lead, unsigned char trail) {
    static const std::array<char, 256> kSymbols = [] {
        std::array<char, 256> table{};
        for (const auto& [t, ascii] : kWideSymbols) {
            table[t] = ascii;
        }
        return table;
    }();
    if (lead == 0x81) {
        return kSymbols[trail];
    }
    if (lead == 0x82 && trail >= 0x4F && trail <= 0x58) {
        return static_cast<char>('0' + (trail - 0x4F));
    }
    if (lead == 0x82 && trail >= 0x60 && trail <= 0x79) {
        return static_cast<char>('A' + (trail - 0x60));
    }
    if (lead == 0x82 && trail >= 0x81 && trail <= 0x9A) {
        return static_cast<char>('a' + (trail - 0x81));
    }
    // The IBM extension's apostrophe and quotation mark.
    if (lead == 0xFA && (trail == 0x56 || trail == 0x57)) {
        return trail == 0x56 ? '\'' : '"';
    }
    return 0;
}

bool isTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

char foldedAscii(unsigned char c) {
    return c < 0x20 ? ' ' : static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
}

// Folds `text` to `to`, which has room for twice its bytes and 16 more, and gives the end. A
// lead byte without its trail becomes a blank, so that every lead byte of the result opens a
// whole character and a walk over it never steps past a field.
char* foldInto(char* to, std::string_view text) {
    const char* from = text.data();
    const char* const end = from + text.size();
    while (from < end) {
#if defined(__SSE2__)
        // Most of a catalogue is ASCII paths: sixteen bytes of it are folded at once. Bytes
        // after the first that is not ASCII are stored too, and written over next.
        if (end - from >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
            const __m128i upper = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('A' - 1)),
                                                _mm_cmplt_epi8(v, _mm_set1_epi8('Z' + 1)));
            const __m128i lowered = _mm_add_epi8(v, _mm_and_si128(upper, _mm_set1_epi8(0x20)));
            // Signed: the bytes from 0x80 on count as below 0x20 too, and are not kept.
            const __m128i control = _mm_cmplt_epi8(v, _mm_set1_epi8(0x20));
            const __m128i folded = _mm_or_si128(_mm_andnot_si128(control, lowered),
                                                _mm_and_si128(control, _mm_set1_epi8(' ')));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to), folded);
            const auto high = static_cast<unsigned>(_mm_movemask_epi8(v));
            const int ascii = high == 0 ? 16 : std::countr_zero(high);
            from += ascii;
            to += ascii;
            if (ascii == 16) {
                continue;
            }
        }
#endif
        const auto c = static_cast<unsigned char>(*from);
        if (c < 0x80) {
            *to++ = foldedAscii(c);
            ++from;
            continue;
        }
        const auto next = from + 1 < end ? static_cast<unsigned char>(from[1]) : 0;
        if (c >= 0xA1 && c <= 0xDF) {
            const auto [full, joined] = fullKana(c, next);
            *to++ = static_cast<char>(full >> 8);
            *to++ = static_cast<char>(full & 0xFF);
            from += joined ? 2 : 1;
        } else if (cp932::isLeadByte(c) && isTrailByte(next)) {
            if (const char ascii = asciiOfWide(c, next)) {
                *to++ = foldedAscii(static_cast<unsigned char>(ascii));
            } else {
                *to++ = static_cast<char>(c);
                *to++ = static_cast<char>(next);
            }
            from += 2;
        } else {
            *to++ = cp932::isLeadByte(c) ? ' ' : static_cast<char>(c);
            ++from;
        }
    }
    return to;
}

// Whether `at` is where a character of the folded text starts. A byte outside the lead bytes
// range ends a character, whatever it is; from there, the bytes up to `at` pair up as lead and
// trail, so an even count of them puts `at` at a start.
bool startsCharacter(std::string_view folded, std::size_t at) {
    std::size_t leads = 0;
    while (leads < at && cp932::isLeadByte(static_cast<unsigned char>(folded[at - leads - 1]))) {
        ++leads;
    }
    return leads % 2 == 0;
}

// The first place from `pos` on where `needle` (not empty) stands in `text`, or npos. Sixteen
// places at a time are tried for the needle's first and last bytes, so a block of tens of
// megabytes is scanned at about the speed it is read.
std::size_t findFrom(std::string_view text, std::size_t pos, std::string_view needle) {
    const std::size_t k = needle.size();
    const char* const base = text.data();
    const std::size_t n = text.size();
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle.front());
    const __m128i last = _mm_set1_epi8(needle.back());
    const std::size_t inner = k < 2 ? 0 : k - 2;
    for (; pos + k - 1 + 16 <= n; pos += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos + k - 1));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        while (mask != 0) {
            const auto at = pos + static_cast<std::size_t>(std::countr_zero(mask));
            if (std::memcmp(base + at + 1, needle.data() + 1, inner) == 0) {
                return at;
            }
            mask &= mask - 1;
        }
    }
#endif
    return pos >= n ? std::string_view::npos : text.find(needle, pos);
}

constexpr char kRecordEnd = 0x1D;
constexpr char kFieldSep = 0x1C;

} // namespace

std::string foldForFind(std::string_view cp932) {
    std::string out(2 * cp932.size() + 16, '\0');
    out.resize(static_cast<std::size_t>(foldInto(out.data(), cp932) - out.data()));
    return out;
}

bool holdsFolded(std::string_view text, std::string_view needle) {
    for (std::size_t at = text.find(needle); at != std::string_view::npos;
         at = text.find(needle, at + 1)) {
        if (startsCharacter(text, at)) {
            return true;
        }
    }
    return false;
}

std::shared_ptr<const FindSource> findSource(const FolderTree& tree) {
    auto source = std::make_shared<FindSource>();
    std::vector<std::string> names;
    tree.forEachPreOrder([&](TreeNode& node, int depth) {
        names.resize(static_cast<std::size_t>(depth));
        names.push_back(node.name);
        const ItemList& items = node.folder.items;
        if (items.empty()) {
            return;
        }
        FindSource::Folder folder;
        folder.count = items.size();
        for (const std::string& name : names) {
            folder.path += folder.path.empty() ? name : "\\" + name;
        }
        if (const auto kept = items.keptRecords()) {
            folder.bytes = items.keptFile();
            folder.records = *kept;
        } else {
            auto copied = std::make_shared<std::string>();
            for (const ProjectItem& item : items) {
                *copied += item.path;
                *copied += kFieldSep;
                *copied += item.title;
                *copied += kFieldSep;
                // Kind 0 is stored as none; a kind that would end the record is shown as none.
                if (item.kind != pkNone && item.kind != kRecordEnd) {
                    *copied += static_cast<char>(item.kind);
                }
                *copied += kRecordEnd;
            }
            folder.bytes = copied;
            folder.records = *copied;
        }
        source->folders.push_back(std::move(folder));
    });
    return source;
}

char* FindIndex::FoldedText::room(std::size_t bytes) {
    if (mCapacity - mSize < bytes) {
        const std::size_t capacity = std::max(mSize + bytes, mCapacity + mCapacity / 2);
        auto grown = std::make_unique_for_overwrite<char[]>(capacity);
        if (mSize > 0) {
            std::memcpy(grown.get(), mBytes.get(), mSize);
        }
        mBytes = std::move(grown);
        mCapacity = capacity;
    }
    return mBytes.get() + mSize;
}

FindIndex::Part FindIndex::buildPart(const FindSource& source, std::size_t firstFolder,
                                     std::size_t endFolder, std::size_t mostEntries,
                                     const std::atomic<bool>* cancelled) {
    Part part;
    // Folding keeps a text's length but for half-width kana: grown once, not by doubling.
    std::size_t bytes = 0;
    std::size_t records = 0;
    for (std::size_t f = firstFolder; f < endFolder; ++f) {
        bytes += source.folders[f].records.size();
        records += source.folders[f].count;
    }
    part.folded.room(bytes + bytes / 8 + 2 * records);
    part.starts.reserve(std::min(records, mostEntries) + 1);
    part.entries.reserve(std::min(records, mostEntries));
    for (std::size_t f = firstFolder; f < endFolder; ++f) {
        const std::string_view records = source.folders[f].records;
        for (std::size_t pos = 0; pos < records.size() && part.entries.size() < mostEntries;) {
            if (cancelled && part.entries.size() % 4096 == 0 && cancelled->load()) {
                return {};
            }
            const std::size_t end = std::min(records.find(kRecordEnd, pos), records.size());
            const std::string_view record = records.substr(pos, end - pos);
            pos = end + 1;
            const auto fields = recordFields(record);
            if (!fields) {
                continue;
            }
            part.starts.push_back(part.folded.size());
            // Folding at most doubles a text, and writes up to 16 bytes past its end.
            char* to = part.folded.room(2 * record.size() + 32);
            to = foldInto(to, fields->title);
            *to++ = '\n';
            to = foldInto(to, fields->path);
            *to++ = '\n';
            part.folded.written(to);
            part.entries.push_back({record, static_cast<std::uint32_t>(f)});
        }
    }
    part.starts.push_back(part.folded.size());
    return part;
}

std::shared_ptr<const FindIndex> FindIndex::build(std::shared_ptr<const FindSource> source,
                                                  const std::atomic<bool>* cancelled) {
    auto index = std::make_shared<FindIndex>();
    // A large catalogue is folded in two halves at once, each on a core: the first key typed
    // after the box opens waits for the index.
    constexpr std::size_t kMaxEntries = std::numeric_limits<std::uint32_t>::max();
    const std::size_t folders = source->folders.size();
    std::size_t total = 0;
    for (const FindSource::Folder& folder : source->folders) {
        total += folder.records.size();
    }
    std::size_t middle = 0;
    if (total >= (std::size_t{8} << 20)) {
        for (std::size_t half = 0; middle < folders && half < total / 2; ++middle) {
            half += source->folders[middle].records.size();
        }
    }
    std::future<Part> second;
    if (middle > 0 && middle < folders) {
        second = std::async(std::launch::async, [&] {
            return buildPart(*source, middle, folders, kMaxEntries / 2, cancelled);
        });
    } else {
        middle = folders;
    }
    index->mParts.push_back(buildPart(*source, 0, middle, kMaxEntries / 2, cancelled));
    if (second.valid()) {
        index->mParts.push_back(second.get());
    }
    if (cancelled && cancelled->load()) {
        return nullptr;
    }
    for (Part& part : index->mParts) {
        part.first = index->mSize;
        index->mSize += part.entries.size();
    }
    index->mSource = std::move(source);
    return index;
}

const FindIndex::Entry& FindIndex::entryAt(std::size_t entry) const {
    const auto part = std::find_if(mParts.rbegin(), mParts.rend(),
                                   [&](const Part& p) { return p.first <= entry; });
    return part->entries[entry - part->first];
}

ProjectItem FindIndex::item(std::size_t entry) const {
    const auto fields = recordFields(entryAt(entry).record);
    return fields ? ProjectItem{std::string(fields->path), std::string(fields->title), fields->kind}
                  : ProjectItem{};
}

const std::string& FindIndex::folderPath(std::size_t entry) const {
    return mSource->folders[entryAt(entry).folder].path;
}

std::vector<std::uint32_t> FindIndex::find(std::string_view text,
                                           const std::atomic<bool>* cancelled,
                                           std::size_t earlyCount, const Early& early) const {
    const std::string needle = foldForFind(text);
    std::vector<std::uint32_t> found;
    if (needle.empty()) {
        return found;
    }
    for (const Part& part : mParts) {
        const std::string_view folded = part.folded.view();
        const std::vector<std::size_t>& starts = part.starts;
        // Hits come in order, so the entry of each is found walking on from the last one's.
        std::size_t entry = 0;
        for (std::size_t at = findFrom(folded, 0, needle); at != std::string_view::npos;) {
            while (starts[entry + 1] <= at) {
                ++entry;
            }
            const std::size_t start = starts[entry];
            if (startsCharacter(folded.substr(start, at - start), at - start)) {
                found.push_back(static_cast<std::uint32_t>(part.first + entry));
                if (early && found.size() == earlyCount) {
                    early(found);
                }
                if (cancelled && found.size() % 1024 == 0 && cancelled->load()) {
                    return {};
                }
                at = findFrom(folded, starts[entry + 1], needle);
            } else {
                at = findFrom(folded, at + 1, needle);
            }
        }
    }
    if (cancelled && cancelled->load()) {
        return {};
    }
    return found;
}

} // namespace tavrin

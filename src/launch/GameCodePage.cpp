#include "launch/GameCodePage.h"

#include "platform/AppError.h"
#include "platform/CodePages.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace tavrin::gamecodepage {

namespace {

constexpr std::size_t kCodePages = codepage::kCandidates.size();
static_assert(kCodePages <= 8, "a name's code pages are the bits of a byte");
// A Windows name holds 255 UTF-16 units, none of which takes more than two bytes in these code
// pages.
constexpr std::size_t kLongestName = 510;
// Far more than the asset folders of any real game and its RTP hold.
constexpr std::size_t kMostNames = 20000;
// Databases of the largest games measure a few megabytes.
constexpr std::uint64_t kLcfFileLimit = std::uint64_t{64} << 20;

const char* const kAssetFolders[] = {
    "Backdrop", "Battle", "Battle2",  "BattleCharSet", "BattleWeapon", "CharSet", "ChipSet",
    "FaceSet",  "Frame",  "GameOver", "Monster",       "Movie",        "Music",   "Panorama",
    "Picture",  "Sound",  "System",   "System2",       "Title"};

unsigned char byteAt(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; });
}

// The lower case of the letters these code pages spell in both cases: Latin, Greek, Cyrillic,
// full-width Latin and Roman numerals, as Windows compares names. İ is left alone: its lower
// case would be ASCII.
char32_t lower(char32_t c) {
    const bool even = c % 2 == 0;
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
        (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F) ||
        (c >= 0xFF21 && c <= 0xFF3A)) {
        return c + 0x20;
    }
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177) ||
        (c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F)) {
        return even ? c + 1 : c;
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E) || (c >= 0x4C1 && c <= 0x4CE)) {
        return even ? c : c + 1;
    }
    if (c >= 0x400 && c <= 0x40F) {
        return c + 0x50;
    }
    if (c >= 0x2160 && c <= 0x216F) {
        return c + 0x10;
    }
    switch (c) {
    case 0x178:
        return 0xFF;
    case 0x386:
        return 0x3AC;
    case 0x388:
    case 0x389:
    case 0x38A:
        return c + 0x25;
    case 0x38C:
        return 0x3CC;
    case 0x38E:
    case 0x38F:
        return c + 0x3F;
    case 0x4C0:
        return 0x4CF;
    default:
        return c;
    }
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The UTF-8 name in lower case. Bytes that are no UTF-8 stay as they are: no code page spells
// them, so they match nothing either way.
std::string lowered(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char b = byteAt(utf8, i);
        const std::size_t length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
        bool whole = length > 0 && i + length <= utf8.size();
        char32_t c = length > 1 ? b & (0x7F >> length) : b;
        for (std::size_t k = 1; whole && k < length; ++k) {
            whole = (byteAt(utf8, i + k) & 0xC0) == 0x80;
            c = c << 6 | (byteAt(utf8, i + k) & 0x3F);
        }
        if (!whole) {
            out += utf8[i++];
            continue;
        }
        appendUtf8(out, lower(c));
        i += length;
    }
    return out;
}

bool isLeadByte(int codePage, unsigned char b) {
    switch (codePage) {
    case 932:
        return cp932::isLeadByte(b);
    case 936:
    case 949:
    case 950:
        return b >= 0x81 && b <= 0xFE;
    default:
        return false;
    }
}

// A code page's bytes with each letter in lower case, so that names compare on bytes as the
// runtime's file lookup compares them: a table a byte and, for double-byte code pages, one a
// character. Made from the code page itself, so it folds exactly the letters it spells.
struct Fold {
    std::array<bool, 256> lead{};
    std::array<unsigned char, 256> single{};
    std::vector<std::uint16_t> pair; // by lead << 8 | trail; empty for single-byte code pages
};

Fold makeFold(int codePage) {
    Fold f;
    for (unsigned b = 0; b < 256; ++b) {
        f.lead[b] = isLeadByte(codePage, static_cast<unsigned char>(b));
        f.single[b] = static_cast<unsigned char>(b);
    }
    if (codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950) {
        f.pair.resize(0x10000);
        for (unsigned v = 0; v < 0x10000; ++v) {
            f.pair[v] = static_cast<std::uint16_t>(v);
        }
    }
    const std::pair<char32_t, char32_t> uppers[] = {{'A', 'Z'},       {0xC0, 0x17F},
                                                    {0x386, 0x3AB},   {0x400, 0x52F},
                                                    {0x2160, 0x216F}, {0xFF21, 0xFF3A}};
    for (const auto& [first, last] : uppers) {
        for (char32_t c = first; c <= last; ++c) {
            if (lower(c) == c) {
                continue;
            }
            std::string upperText, lowerText;
            appendUtf8(upperText, c);
            appendUtf8(lowerText, lower(c));
            const std::optional<std::string> from = codepage::fromUtf8(codePage, upperText);
            if (!from) {
                continue;
            }
            const std::optional<std::string> to = codepage::fromUtf8(codePage, lowerText);
            if (!to || to->size() != from->size()) {
                continue;
            }
            if (from->size() == 1) {
                f.single[byteAt(*from, 0)] = byteAt(*to, 0);
            } else if (from->size() == 2 && !f.pair.empty()) {
                f.pair[byteAt(*from, 0) << 8 | byteAt(*from, 1)] =
                    static_cast<std::uint16_t>(byteAt(*to, 0) << 8 | byteAt(*to, 1));
            }
        }
    }
    return f;
}

const Fold& foldOf(std::size_t candidate) {
    static std::array<Fold, kCodePages> folds;
    static std::array<std::once_flag, kCodePages> made;
    std::call_once(made[candidate],
                   [&] { folds[candidate] = makeFold(codepage::kCandidates[candidate]); });
    return folds[candidate];
}

// Folds whole characters of `in` into `out` (as long as `in`) until at least `limit` bytes are
// written; gives how many were. A character's bytes stay its bytes, so a prefix folded alone
// matches the prefix of the whole folded.
std::size_t fold(const Fold& f, std::string_view in, char* out, std::size_t limit) {
    std::size_t i = 0;
    while (i < in.size() && i < limit) {
        const unsigned char b = byteAt(in, i);
        if (f.lead[b] && i + 1 < in.size()) {
            const std::uint16_t v = f.pair[b << 8 | byteAt(in, i + 1)];
            out[i] = static_cast<char>(v >> 8);
            out[i + 1] = static_cast<char>(v & 0xFF);
            i += 2;
        } else {
            out[i++] = static_cast<char>(f.single[b]);
        }
    }
    return i;
}

struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

// The names as one code page spells them, folded, each naming the files it stands for; and a
// sketch of their lengths and first bytes that rules out nearly every other string cheaply.
class Spellings {
public:
    explicit Spellings(std::size_t candidate) : mFold(&foldOf(candidate)) {}

    // False for a spelling too long to be a name.
    bool add(std::string spelling, std::uint32_t name) {
        if (spelling.empty() || spelling.size() > kLongestName) {
            return false;
        }
        fold(*mFold, spelling, spelling.data(), spelling.size());
        mLengths.set(spelling.size());
        mSketch.set(sketchBit(spelling.size(), spelling));
        mNames[std::move(spelling)].push_back(name);
        return true;
    }
    bool mayHaveLength(std::size_t length) const { return mLengths.test(length); }

    // The names spelled by these bytes, folded in `scratch`; nothing when none is.
    const std::vector<std::uint32_t>* find(std::string_view bytes, std::string& scratch) const {
        char* out = scratch.data();
        const std::size_t head = fold(*mFold, bytes, out, kSketched);
        if (!mSketch.test(sketchBit(bytes.size(), std::string_view(out, head)))) {
            return nullptr;
        }
        fold(*mFold, bytes.substr(head), out + head, bytes.size());
        const auto it = mNames.find(std::string_view(out, bytes.size()));
        return it == mNames.end() ? nullptr : &it->second;
    }

private:
    static constexpr std::size_t kSketched = 4;
    static constexpr std::size_t kSketchBits = 1 << 16;

    // The length and the first four bytes or so of a folded spelling, whole characters.
    std::size_t sketchBit(std::size_t length, std::string_view folded) const {
        std::array<char, kSketched + 1> head{};
        const std::size_t n = fold(*mFold, folded, head.data(), kSketched);
        std::uint32_t v = static_cast<std::uint32_t>(length);
        for (std::size_t i = 0; i < n; ++i) {
            v = v * 131 + static_cast<unsigned char>(head[i]);
        }
        return (v * 0x9E3779B1u) >> 16;
    }

    const Fold* mFold;
    std::unordered_map<std::string, std::vector<std::uint32_t>, NameHash, std::equal_to<>> mNames;
    std::bitset<kLongestName + 1> mLengths;
    std::bitset<kSketchBits> mSketch;
};

// The databases' strings are a length (one or two bytes of seven bits) then that many bytes.
// Without their schema every byte is taken as a possible length; only a string holding a byte
// past ASCII can spell a name that decides. `seen` gets, by name, a bit for each code page in
// which these bytes spell it.
void scan(std::string_view bytes, const std::vector<Spellings>& spellings,
          const std::bitset<kLongestName + 1>& lengths, std::vector<std::uint8_t>& seen) {
    std::string scratch(kLongestName + 1, '\0');
    std::size_t high = 0; // the first byte past ASCII at or after `start`
    for (std::size_t at = 0; at + 1 < bytes.size(); ++at) {
        std::size_t length = byteAt(bytes, at);
        std::size_t start = at + 1;
        if (length >= 0x80) {
            if (byteAt(bytes, at + 1) >= 0x80) {
                continue;
            }
            length = (length & 0x7F) << 7 | byteAt(bytes, at + 1);
            start = at + 2;
        }
        if (length == 0 || length > kLongestName || !lengths.test(length) ||
            length > bytes.size() - start) {
            continue;
        }
        high = std::max(high, start);
        while (high < bytes.size() && byteAt(bytes, high) < 0x80) {
            ++high;
        }
        if (high >= start + length) {
            continue;
        }
        const std::string_view text = bytes.substr(start, length);
        for (std::size_t k = 0; k < spellings.size(); ++k) {
            if (!spellings[k].mayHaveLength(length)) {
                continue;
            }
            if (const std::vector<std::uint32_t>* names = spellings[k].find(text, scratch)) {
                for (const std::uint32_t name : *names) {
                    seen[name] |= static_cast<std::uint8_t>(1u << k);
                }
            }
        }
    }
}

// Nothing when the file is not there or is refused (a folder, a FIFO, too large): a game folder
// may hold anything under these names.
std::string readQuietly(FileSystem& fs, const std::string& path) {
    try {
        return fs.readFile(path, kLcfFileLimit).value_or(std::string());
    } catch (const AppError&) {
        return {};
    }
}

bool isAssetFolder(std::string_view name) {
    return std::any_of(std::begin(kAssetFolders), std::end(kAssetFolders),
                       [&](const char* folder) { return pathtext::sameName(name, folder); });
}

// The names past ASCII of the files in the root's asset folders, UTF-8, without extension;
// `budget` is how many more names may be looked at.
void addAssetNames(FileSystem& fs, const std::string& root, std::vector<std::string>& names,
                   std::size_t& budget) {
    const std::optional<std::vector<FileSystem::Entry>> folders = fs.tryListFolder(root);
    if (!folders) {
        return;
    }
    for (const FileSystem::Entry& folder : *folders) {
        if (!folder.isFolder || !isAssetFolder(folder.name)) {
            continue;
        }
        const std::optional<std::vector<FileSystem::Entry>> files =
            fs.tryListFolder(root + folder.name + '\\');
        for (const FileSystem::Entry& file : files.value_or(std::vector<FileSystem::Entry>())) {
            if (budget == 0) {
                return;
            }
            if (file.isFolder) {
                continue;
            }
            --budget;
            std::string name = cp932::toUtf8(file.name);
            const std::size_t dot = name.rfind('.');
            if (dot != std::string::npos) {
                name.resize(dot);
            }
            if (!isAscii(name)) {
                names.push_back(std::move(name));
            }
        }
    }
}

} // namespace

int decide(std::string_view ldb, std::string_view lmt, const std::vector<std::string>& fileNames) {
    // A name in two folders, or in two letter cases, is one name.
    std::vector<std::string> names;
    for (const std::string& name : fileNames) {
        if (!isAscii(name)) {
            names.push_back(lowered(name));
        }
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    if (names.empty()) {
        return codepage::kJapanese;
    }

    std::vector<Spellings> spellings;
    spellings.reserve(kCodePages);
    std::bitset<kLongestName + 1> lengths;
    for (std::size_t k = 0; k < kCodePages; ++k) {
        Spellings& s = spellings.emplace_back(k);
        for (std::size_t n = 0; n < names.size(); ++n) {
            std::optional<std::string> spelled =
                codepage::fromUtf8(codepage::kCandidates[k], names[n]);
            const std::size_t length = spelled ? spelled->size() : 0;
            if (spelled && s.add(std::move(*spelled), static_cast<std::uint32_t>(n))) {
                lengths.set(length);
            }
        }
    }

    std::vector<std::uint8_t> seen(names.size());
    scan(ldb, spellings, lengths, seen);
    scan(lmt, spellings, lengths, seen);

    std::array<std::size_t, kCodePages> score{};
    for (const std::uint8_t bits : seen) {
        for (std::size_t k = 0; k < kCodePages; ++k) {
            score[k] += bits >> k & 1u;
        }
    }
    // The first of equal scores, as kCandidates is in the order that settles a tie.
    const std::size_t best =
        static_cast<std::size_t>(std::max_element(score.begin(), score.end()) - score.begin());
    return score[best] > 0 ? codepage::kCandidates[best] : codepage::kJapanese;
}

int read(FileSystem& fs, const std::string& projectFolder,
         const std::vector<std::string>& rtpFolders) {
    try {
        const std::string project = pathtext::withTrailingBackslash(projectFolder);
        std::vector<std::string> names;
        std::size_t budget = kMostNames;
        addAssetNames(fs, project, names, budget);
        for (const std::string& rtp : rtpFolders) {
            addAssetNames(fs, pathtext::withTrailingBackslash(rtp), names, budget);
        }
        return decide(readQuietly(fs, project + "RPG_RT.ldb"),
                      readQuietly(fs, project + "RPG_RT.lmt"), names);
    } catch (const std::exception&) {
        // Out of memory, or a file system that failed as it should not: the common case.
        return codepage::kJapanese;
    }
}

} // namespace tavrin::gamecodepage

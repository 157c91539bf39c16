#include "launch/ProjectDetails.h"

#include "launch/GameFiles.h"
#include "platform/AppError.h"
#include "platform/CodePages.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/TextLines.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace tavrin::details {

namespace {

// Databases of the largest games measure a few megabytes.
constexpr std::uint64_t kDatabaseFileLimit = std::uint64_t{64} << 20;

std::optional<PictureFormat> pictureFormat(const std::string& name) {
    const std::string ext = pathtext::extension(name);
    if (pathtext::sameName(ext, ".png")) {
        return PictureFormat::png;
    }
    if (pathtext::sameName(ext, ".bmp")) {
        return PictureFormat::bmp;
    }
    if (pathtext::sameName(ext, ".xyz")) {
        return PictureFormat::xyz;
    }
    return std::nullopt;
}

std::string baseName(const std::string& name) {
    return name.substr(0, name.size() - pathtext::extension(name).size());
}

// The pictures directly in a folder, in the order of their formats (as the runtime looks).
std::vector<PictureFile> picturesIn(FileSystem& fs, const std::string& folder) {
    std::vector<PictureFile> found;
    const std::optional<std::vector<FileSystem::Entry>> entries = fs.tryListFolder(folder);
    if (!entries) {
        return found;
    }
    for (const FileSystem::Entry& e : *entries) {
        if (const std::optional<PictureFormat> format = pictureFormat(e.name);
            format && !e.isFolder) {
            found.push_back({folder + e.name, *format});
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const PictureFile& a, const PictureFile& b) {
        return a.format < b.format;
    });
    return found;
}

bool startsWithName(const std::string& name, std::string_view prefix) {
    return name.size() >= prefix.size() &&
           pathtext::sameName(std::string_view(name).substr(0, prefix.size()), prefix);
}

std::optional<std::string> namedTitle(FileSystem& fs, const std::string& folder) {
    try {
        const std::optional<std::string> ldb =
            fs.readFile(folder + "RPG_RT.ldb", kDatabaseFileLimit);
        return ldb ? gamefiles::titlePictureName(*ldb) : std::nullopt;
    } catch (const AppError&) {
        return std::nullopt;
    }
}

std::string withThousands(std::uint64_t n) {
    const std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            out += ',';
        }
        out += digits[i];
    }
    return out;
}

std::string bytesText(std::uint64_t bytes) {
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB"};
    if (bytes < 1024) {
        return std::to_string(bytes) + sj(" バイト");
    }
    double value = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    while (value >= 1024 && unit + 1 < std::size(kUnits)) {
        value /= 1024;
        ++unit;
    }
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), value < 100 ? "%.1f %s" : "%.0f %s", value,
                  kUnits[unit]);
    return text.data();
}

// What RPG_RT.EXE is, for the pane: only a 32-bit program is a runtime.
std::string runtimeText(const GameNeeds& needs, const std::string& edition) {
    using File = GameNeeds::RuntimeFile;
    switch (needs.runtimeFile) {
    case File::missing:
        return sj("ありません（RPG_RT.exe がありません）");
    case File::unreadable:
        return sj("読み込めません");
    case File::empty:
        return sj("使えません（空のファイルです）");
    case File::lfsPointer:
        return sj("使えません（Git LFS のポインタです）");
    case File::noProgram:
        return sj("使えません（Windows のプログラムではありません）");
    case File::program64:
        return sj("使えません（64 ビットのプログラムです）");
    case File::program32:
        break;
    }
    std::string text = edition.empty() ? sj("不明") : edition;
    if (needs.runtime && !needs.runtime->version.empty()) {
        text += sj("（バージョン ") + needs.runtime->version + sj("）");
    }
    return text;
}

} // namespace

std::optional<PictureFile> findTitlePicture(FileSystem& fs, const std::string& folder,
                                            ProjectKind kind) {
    const std::string project = pathtext::withTrailingBackslash(folder);
    const std::vector<PictureFile> titles = picturesIn(fs, project + "Title\\");
    if (kind != pk95) {
        if (const std::optional<std::string> name = namedTitle(fs, project);
            name && !name->empty()) {
            for (const PictureFile& p : titles) {
                if (pathtext::sameName(baseName(pathtext::namePart(p.path)), *name)) {
                    return p;
                }
            }
        }
    }
    if (titles.size() == 1) {
        return titles.front();
    }
    if (kind == pk95 && titles.empty()) {
        for (const PictureFile& p : picturesIn(fs, project)) {
            if (startsWithName(pathtext::namePart(p.path), "title")) {
                return p;
            }
        }
    }
    return std::nullopt;
}

FolderSize countFolder(FileSystem& fs, const std::string& folder, std::uint64_t mostEntries,
                       const std::function<bool()>& stop) {
    std::uint64_t entries = 0;
    const FileSystem::FolderCount count = fs.countFolder(
        pathtext::withTrailingBackslash(folder), [&] { return ++entries > mostEntries || stop(); });
    return {count.bytes, count.files, count.complete};
}

std::vector<std::string> needsLines(ProjectKind kind, const std::optional<GameNeeds>& needs) {
    std::vector<std::string> lines;
    if (kind == pk95) {
        lines.push_back(sj("RPGツクール95 作品"));
    }
    if (!needs) {
        return lines;
    }
    const std::string edition = editionName(needs->kind);
    switch (needs->rtp) {
    case GameNeeds::Rtp::notNeeded:
        lines.push_back(sj("RTP: 不要"));
        break;
    case GameNeeds::Rtp::installed:
        lines.push_back(sj("RTP: インストール済み"));
        break;
    case GameNeeds::Rtp::missing:
        lines.push_back(sj("RTP: 見つかりません") +
                        (edition.empty() ? "" : sj("（") + edition + sj(" の RTP）")));
        break;
    }
    if (!needs->missingDlls.empty()) {
        const std::vector<std::string>& dlls = needs->missingDlls;
        std::string names;
        for (std::size_t i = 0; i < dlls.size() && i < kNamesShown; ++i) {
            names += (names.empty() ? "" : ", ") + shownName(dlls[i]);
        }
        if (dlls.size() > kNamesShown) {
            names += " " + moreNames(dlls.size() - kNamesShown);
        }
        lines.push_back(sj("見つからない DLL: ") + names);
    }
    lines.push_back(sj("ランタイム: ") + runtimeText(*needs, edition));
    return lines;
}

std::string sizeLine(const FolderSize& size) {
    std::string line = sj("フォルダの大きさ: ") + bytesText(size.bytes);
    if (!size.complete) {
        return line + sj(" 以上");
    }
    return line + sj("（") + withThousands(size.files) + sj(" 個のファイル）");
}

std::string lastStartedLine(std::optional<std::time_t> when) {
    std::tm t{};
    std::array<char, 32> text{};
    if (!when || !::localtime_r(&*when, &t) ||
        std::strftime(text.data(), text.size(), "%Y/%m/%d %H:%M", &t) == 0) {
        return sj("前回の起動: まだありません");
    }
    return sj("前回の起動: ") + text.data();
}

std::string playTimeLine(std::uint64_t seconds, std::uint32_t count) {
    if (count == 0) {
        return sj("プレイ時間: まだありません");
    }
    const std::uint64_t minutes = seconds / 60;
    std::string line = sj("プレイ時間: ");
    if (minutes == 0) {
        line += sj("1 分未満");
    } else {
        if (minutes >= 60) {
            line += withThousands(minutes / 60);
            line += sj(" 時間 ");
        }
        line += std::to_string(minutes % 60);
        line += sj(" 分");
    }
    line += sj("（");
    line += withThousands(count);
    line += sj(" 回）");
    return line;
}

std::string noPictureLine() {
    return sj("タイトル画像はありません");
}

std::string unreadablePictureLine() {
    return sj("タイトル画像を読めません");
}

std::string oversizedPictureLine() {
    return sj("タイトル画像が大きすぎます");
}

std::string readingLine() {
    return sj("読み込み中…");
}

std::string countingLine() {
    return sj("フォルダの大きさ: 数えています…");
}

std::string codePageCaption() {
    return sj("文字コード:");
}

std::string automaticCodePage(int detected) {
    return sj("自動（") + codepage::shownName(detected) + sj("）");
}

Extent wholeStepSize(Extent picture, Extent room) {
    if (picture.width <= 0 || picture.height <= 0 || room.width <= 0 || room.height <= 0) {
        return {};
    }
    if (picture.width <= room.width && picture.height <= room.height) {
        const int k = std::min(room.width / picture.width, room.height / picture.height);
        return {picture.width * k, picture.height * k};
    }
    const int d = std::max((picture.width + room.width - 1) / room.width,
                           (picture.height + room.height - 1) / room.height);
    return {std::max(1, picture.width / d), std::max(1, picture.height / d)};
}

} // namespace tavrin::details

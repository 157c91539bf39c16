#include "support/MemoryFileSystem.h"

#include "platform/Cp932.h"
#include "platform/PathText.h"

#include <algorithm>

namespace tavrin::test {

namespace {

// The names a path passes through, "." and ".." resolved; a trail byte 0x5C is no separator.
std::vector<std::string> parts(std::string_view path) {
    std::vector<std::string> out;
    std::string part;
    const auto end = [&] {
        if (part == "..") {
            if (out.size() > 1)
                out.pop_back();
        } else if (!part.empty() && part != ".") {
            out.push_back(part);
        }
        part.clear();
    };
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (cp932::isLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            part += path.substr(i++, 2);
        } else if (path[i] == '\\') {
            end();
        } else {
            part += path[i];
        }
    }
    end();
    return out;
}

bool sameParts(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(),
        [](const std::string& x, const std::string& y) { return pathtext::sameName(x, y); });
}

bool samePath(std::string_view a, std::string_view b) {
    return sameParts(parts(a), parts(b));
}

bool listed(const std::vector<std::string>& paths, std::string_view path) {
    return std::any_of(paths.begin(), paths.end(),
                       [&](const std::string& p) { return samePath(p, path); });
}

// Whether `path` lies directly in the folder of `folderParts`; its name when it does.
std::optional<std::string> nameIn(const std::vector<std::string>& folderParts,
                                  const std::string& path) {
    std::vector<std::string> p = parts(path);
    if (p.size() != folderParts.size() + 1 || !sameParts(folderParts, {p.begin(), p.end() - 1}))
        return std::nullopt;
    return p.back();
}

} // namespace

MemoryFileSystem& MemoryFileSystem::file(const std::string& path, std::string content) {
    folder(pathtext::folderPart(path));
    const auto it = findFile(path);
    (it == files.end() ? files[path] : it->second) = std::move(content);
    return *this;
}

MemoryFileSystem& MemoryFileSystem::folder(const std::string& path) {
    std::string at;
    for (const std::string& part : parts(path)) {
        at += (at.empty() ? "" : "\\") + part;
        if (folderIndex(at, false) == std::string::npos)
            folders.push_back(at);
    }
    return *this;
}

void MemoryFileSystem::release() {
    std::lock_guard lock(mMutex);
    mHeld.clear();
    mReleased.notify_all();
}

std::map<std::string, std::string>::iterator MemoryFileSystem::findFile(const std::string& path) {
    if (pathtext::hasTrailingBackslash(path))
        return files.end();
    const auto exact = files.find(path);
    if (exact != files.end())
        return exact;
    return std::find_if(files.begin(), files.end(),
                        [&](const auto& f) { return samePath(f.first, path); });
}

std::size_t MemoryFileSystem::folderIndex(const std::string& path, bool followLinks) const {
    std::string at = path;
    // A few steps at most, so links that lead round in a circle end.
    for (int step = 0; followLinks && step < 8; ++step) {
        const auto link = std::find_if(links.begin(), links.end(),
                                       [&](const auto& l) { return samePath(l.first, at); });
        if (link == links.end())
            break;
        at = link->second;
    }
    const std::vector<std::string> wanted = parts(at);
    for (std::size_t i = 0; i < folders.size(); ++i)
        if (sameParts(parts(folders[i]), wanted))
            return i;
    return std::string::npos;
}

std::optional<std::string> MemoryFileSystem::readFile(const std::string& path) {
    if (listed(refused, path))
        throw AppError(path + " refused");
    const auto it = findFile(path);
    if (it == files.end() || listed(unreadable, path))
        return std::nullopt;
    return it->second;
}

bool MemoryFileSystem::writeFileAtomic(const std::string& path, std::string_view bytes) {
    if (listed(failWrites, path))
        return false;
    const auto it = findFile(path);
    (it == files.end() ? files[path] : it->second) = std::string(bytes);
    return true;
}

bool MemoryFileSystem::renameFile(const std::string& from, const std::string& to) {
    const auto it = findFile(from);
    if (it == files.end() || findFile(to) != files.end())
        return false;
    std::string content = std::move(it->second);
    files.erase(it);
    files[to] = std::move(content);
    return true;
}

std::optional<std::vector<FileSystem::Entry>> MemoryFileSystem::list(const std::string& path) {
    {
        std::unique_lock lock(mMutex);
        if (!mHeld.empty() && samePath(path, mHeld)) {
            mHolding = true;
            mReleased.wait(lock, [this] { return mHeld.empty(); });
            mHolding = false;
        }
    }
    if (!folderExists(path) || listed(noListing, path))
        return std::nullopt;
    const std::vector<std::string> at = parts(path);
    std::vector<Entry> out;
    for (const std::string& f : folders) {
        if (const auto name = nameIn(at, f)) {
            const std::size_t target = folderIndex(f, true);
            const std::uint64_t inode = target == std::string::npos ? 0 : target + 1;
            const bool link = std::any_of(links.begin(), links.end(),
                                          [&](const auto& l) { return samePath(l.first, f); });
            out.push_back({*name, true, link, 0, inode});
        }
    }
    for (const auto& [f, content] : files)
        if (const auto name = nameIn(at, f))
            out.push_back({*name, false});
    return out;
}

std::optional<FileSystem::FolderIdentity>
MemoryFileSystem::folderIdentity(const std::string& path) {
    if (!folderExists(path) || listed(noEntry, path))
        return std::nullopt;
    const std::size_t target = folderIndex(path, true);
    if (target == std::string::npos)
        return FolderIdentity{};
    return FolderIdentity{0, target + 1};
}

} // namespace tavrin::test

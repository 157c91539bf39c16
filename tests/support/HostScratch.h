// The host for tests that need it: scratch folders and files, environment variables put back
// after, and threads with a small stack.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <pthread.h>
#include <sstream>
#include <string>
#include <unistd.h>

namespace tavrin::test {

// A new folder in the temporary folder, removed with its contents, read-only and refused folders
// included. Its path is the physical one, as started programs report their working folder.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "tavrin-test") {
        namespace fs = std::filesystem;
        std::string tmpl = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(tmpl.data()))
            mPath = fs::canonical(tmpl).string();
    }
    ~TempFolder() {
        namespace fs = std::filesystem;
        std::error_code ignored;
        if (mPath.empty())
            return;
        // The rights a case took away first, or nothing below could be removed.
        fs::permissions(mPath, fs::perms::owner_all, fs::perm_options::add, ignored);
        const auto skip = fs::directory_options::skip_permission_denied;
        for (fs::recursive_directory_iterator it(mPath, skip, ignored), end; it != end;
             it.increment(ignored))
            if (!it->is_symlink(ignored) && it->is_directory(ignored))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(mPath, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return mPath; }
    std::string operator/(const std::string& name) const { return mPath + "/" + name; }

private:
    std::string mPath;
};

// Writes the file, making its folders; an executable one may be run by anyone.
inline void writeHostFile(const std::string& path, const std::string& bytes,
                          bool executable = false) {
    namespace fs = std::filesystem;
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    if (executable)
        fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
}

inline std::string readHostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Sets (or, given null, removes) an environment variable and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : mName(name) {
        if (const char* old = std::getenv(name))
            mOld = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
    ~ScopedEnv() { mOld ? ::setenv(mName, mOld->c_str(), 1) : ::unsetenv(mName); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* mName;
    std::optional<std::string> mOld;
};

// Runs `work` on a thread whose stack is only `bytes` long, so that a recursion over a deep
// tree overflows it at a depth a test can afford to build. False when no such thread started.
inline bool onSmallStack(std::size_t bytes, const std::function<void()>& work) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, bytes);
    pthread_t thread;
    const auto run = [](void* w) -> void* {
        (*static_cast<const std::function<void()>*>(w))();
        return nullptr;
    };
    const bool started =
        pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&work)) == 0;
    if (started)
        pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    return started;
}

} // namespace tavrin::test

#pragma once

#include <functional>
#include <string>

namespace tavrin {

// The current user's registry (HKEY_CURRENT_USER), as the Windows programs started through the
// shell see it. Key paths use "\" and, like value names, match without regard to case. Texts
// are CP932.
class Registry {
public:
    enum class Read { ok, absent, notString };

    virtual ~Registry() = default;

    // A string value; absent when the key or the value does not exist.
    virtual Read readString(const std::string& key, const std::string& valueName,
                            std::string& out) = 0;
    // Creates the key when absent and sets a string value; false when it cannot.
    virtual bool writeString(const std::string& key, const std::string& valueName,
                             const std::string& data) = 0;

    // What goes on on the window's thread once registry work is done; empty: nothing.
    using Then = std::function<void()>;
    // Registry work of the window's thread that may have to wait for Wine: `work` runs with
    // this registry, then what it returns. Here both run at once, and what they throw reaches
    // the caller. A registry that must not hold the window up runs the work on a worker of its
    // own, in the order given, and the rest on the window's thread, showing what either throws
    // as a command's failure is shown; while work under a non-empty `key` waits or runs, more
    // under that key is dropped.
    virtual void later(const std::string& key, std::function<Then(Registry&)> work);
};

// A string value under HKEY_CURRENT_USER, empty when the key or value is absent. Throws
// AppError "'%s' のデータ型が不正です" for a value that is not a string.
std::string readRegistryString(Registry& registry, const std::string& key,
                               const std::string& valueName);

} // namespace tavrin

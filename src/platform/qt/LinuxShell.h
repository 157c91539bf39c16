#pragma once

#include "platform/Shell.h"

#include <memory>

class QObject;

namespace tavrin {

class Dialogs;
class LinuxFileSystem;
class PrefixMaker;

// The shell of a Linux desktop: Windows programs through Wine, everything else through
// xdg-open, native programs directly; the properties through the desktop's file manager,
// asked without waiting for its answer.
class LinuxShell : public Shell {
public:
    LinuxShell(LinuxFileSystem& fs, Dialogs& dialogs);
    ~LinuxShell() override;

    int execute(const std::string& file, const std::string& parameters,
                const std::string& directory) override;
    int execute(const std::string& file, const std::string& parameters,
                const std::string& directory, const StartOptions& options) override;
    void showProperties(const std::string& path) override;
    Readiness readiness(const std::string& file, int codePage) override;
    bool fullScreenPossible() override;
    void whenPrepared(std::function<void()> then, const std::string& key) override;

private:
    LinuxFileSystem& mFs;
    Dialogs& mDialogs;
    std::unique_ptr<PrefixMaker> mMaker;
    // Owns the file manager calls still waiting: they end with the shell.
    std::unique_ptr<QObject> mCalls;
};

} // namespace tavrin

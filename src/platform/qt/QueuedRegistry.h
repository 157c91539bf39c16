#pragma once

#include "platform/Registry.h"

#include <QObject>
#include <QThreadPool>

#include <set>
#include <string>

namespace tavrin {

class Dialogs;

// The registry with the window's work on a worker of its own: while a wineserver runs, every
// read and write waits for Wine's `reg` (seconds at worst), and the window must go on meanwhile.
// Made, asked for work and destroyed on the window's thread; plain reads and writes go straight
// to `registry`, on the caller's thread.
class QueuedRegistry : public Registry {
public:
    // `dialogs` shows what the work throws.
    QueuedRegistry(Registry& registry, Dialogs& dialogs);
    // Work not yet begun is dropped, and what has not come back goes unheard; a `reg` still
    // running is waited for.
    ~QueuedRegistry() override;
    QueuedRegistry(const QueuedRegistry&) = delete;
    QueuedRegistry& operator=(const QueuedRegistry&) = delete;

    Read readString(const std::string& key, const std::string& valueName,
                    std::string& out) override {
        return mRegistry.readString(key, valueName, out);
    }
    bool writeString(const std::string& key, const std::string& valueName,
                     const std::string& data) override {
        return mRegistry.writeString(key, valueName, data);
    }
    void later(const std::string& key, std::function<Then(Registry&)> work) override;

private:
    void finish(const std::string& key, const Then& then);

    Registry& mRegistry;
    Dialogs& mDialogs;
    // The answers come through the event loop of the thread it lives in.
    QObject mReceiver;
    // Keys of work asked for and not yet back.
    std::set<std::string> mBusy;
    // One thread: work runs in the order given, so a value written is there for what follows.
    QThreadPool mPool;
};

} // namespace tavrin

#include "platform/qt/QueuedRegistry.h"

#include "platform/AppError.h"
#include "platform/Dialogs.h"

#include <exception>

namespace tavrin {

QueuedRegistry::QueuedRegistry(Registry& registry, Dialogs& dialogs)
    : mRegistry(registry), mDialogs(dialogs) {
    mPool.setMaxThreadCount(1);
}

QueuedRegistry::~QueuedRegistry() {
    mPool.clear();
    mPool.waitForDone();
}

void QueuedRegistry::later(const std::string& key, std::function<Then(Registry&)> work) {
    if (!key.empty() && !mBusy.insert(key).second) {
        return;
    }
    mPool.start([this, key, work = std::move(work)] {
        Then then;
        try {
            then = work(mRegistry);
        } catch (...) {
            then = [fault = std::current_exception()] { std::rethrow_exception(fault); };
        }
        QMetaObject::invokeMethod(
            &mReceiver, [this, key, then = std::move(then)] { finish(key, then); },
            Qt::QueuedConnection);
    });
}

void QueuedRegistry::finish(const std::string& key, const Then& then) {
    // Free before the rest runs, which may ask for the next step under the same key.
    if (!key.empty()) {
        mBusy.erase(key);
    }
    std::string message;
    try {
        if (then) {
            then();
        }
        return;
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Unknown error";
    }
    mDialogs.messageBox(errorBoxText(message), "Tavrin", MsgIcon::error, MsgButtons::ok,
                        MsgResult::ok);
}

} // namespace tavrin

#include "app/core/CommandGuard.h"

#include "platform/AppError.h"
#include "platform/Dialogs.h"

#include <exception>

namespace tavrin {

bool runGuarded(Dialogs& dialogs, const std::function<void()>& step) {
    std::string message;
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Unknown error";
    }
    try {
        dialogs.messageBox(errorBoxText(message), "Tavrin", MsgIcon::error, MsgButtons::ok,
                           MsgResult::ok);
    } catch (...) {
        // The box itself failed; the event loop must still go on.
    }
    return false;
}

} // namespace tavrin

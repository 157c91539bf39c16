#pragma once

#include <optional>
#include <string>

namespace tavrin {

enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgButtons { Ok, YesNo, OkCancel, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

// Every modal question and message of the program, so tests can script the answers.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Texts are CP932.
    virtual MsgResult messageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                                 MsgButtons buttons, MsgResult defaultButton) = 0;
    // A folder chosen by the user as a Windows path, without a trailing "\" but at a drive
    // root; nothing when cancelled.
    virtual std::optional<std::string> browseForFolder(const std::string& prompt) = 0;

    MsgResult message(const std::string& text, const std::string& caption,
                      MsgIcon icon = MsgIcon::None) {
        return messageBox(text, caption, icon, MsgButtons::Ok, MsgResult::Ok);
    }
};

} // namespace tavrin

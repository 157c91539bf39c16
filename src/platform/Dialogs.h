#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tavrin {

enum class MsgIcon { none, information, warning, error, question };
enum class MsgButtons { ok, yesNo, okCancel, yesNoCancel };
enum class MsgResult { ok, cancel, yes, no };

// What a file-open dialog starts with. Texts are CP932, paths Windows paths.
struct OpenFileRequest {
    std::string fileName; // the name field, e.g. "*.exe"
    // Windows filter text: description and pattern(s) in pairs, "|" between them.
    std::string filter;
    std::string initialFolder; // empty: the dialog's own choice
};

// A font as the font dialog shows it.
struct FontChoice {
    std::string name;         // CP932
    std::int32_t size = 9;    // points
    std::uint32_t colour = 0; // 0x00BBGGRR
    bool bold = false, italic = false, underline = false, strikeOut = false;
    bool operator==(const FontChoice&) const = default;
};

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
    // The chosen file's full Windows path; nothing when cancelled.
    virtual std::optional<std::string> openFile(const OpenFileRequest& request) = 0;
    // The confirmed font, symbol fonts not offered, effects (colour, underline, strike-out)
    // offered; nothing when cancelled.
    virtual std::optional<FontChoice> chooseFont(const FontChoice& initial) = 0;

    MsgResult message(const std::string& text, const std::string& caption,
                      MsgIcon icon = MsgIcon::none) {
        return messageBox(text, caption, icon, MsgButtons::ok, MsgResult::ok);
    }
};

} // namespace tavrin

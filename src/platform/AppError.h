#pragma once

#include <stdexcept>
#include <string>

namespace tavrin {

// A failure that ends a command. The message is CP932 text, shown to the user as it stands.
class AppError : public std::runtime_error {
public:
    explicit AppError(const std::string& cp932Message) : std::runtime_error(cp932Message) {}
};

// The text of the standard error box: "." is appended when the message's last character sorts
// after "." (every Japanese character does).
std::string errorBoxText(const std::string& cp932Message);

// Replaces each "%s" of a CP932 pattern by the argument in turn.
std::string formatMessage(const std::string& cp932Pattern, const std::string& arg);

} // namespace tavrin

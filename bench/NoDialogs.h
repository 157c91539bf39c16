// The dialogs of a benchmark: none is expected, so each message is noted and counted, and
// answered with its default button.
#pragma once

#include "platform/Dialogs.h"

#include <cstdio>
#include <optional>
#include <string>

namespace bench {

class NoDialogs : public tavrin::Dialogs {
public:
    tavrin::MsgResult messageBox(const std::string& text, const std::string&, tavrin::MsgIcon,
                                 tavrin::MsgButtons, tavrin::MsgResult defaultButton) override {
        std::fprintf(stderr, "unexpected message: %s\n", text.c_str());
        ++messages;
        return defaultButton;
    }
    std::optional<std::string> browseForFolder(const std::string&) override { return {}; }
    std::optional<std::string> openFile(const tavrin::OpenFileRequest&) override { return {}; }
    std::optional<tavrin::FontChoice> chooseFont(const tavrin::FontChoice&) override { return {}; }
    int messages = 0;
};

} // namespace bench

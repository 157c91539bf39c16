#pragma once

#include <string>

namespace tavrin {

// The help viewer: the help file at its contents, or at a context number.
class Help {
public:
    virtual ~Help() = default;
    virtual void showContents(const std::string& helpFile) = 0;
    virtual void showContext(const std::string& helpFile, int context) = 0;
};

} // namespace tavrin

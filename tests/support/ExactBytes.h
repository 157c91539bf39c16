// Bytes in a heap block of exactly their size, so that the sanitizer build sees a read past their
// end (a std::string has a terminator and often spare room after its bytes).
#pragma once

#include <algorithm>
#include <memory>
#include <string_view>

namespace tavrin::test {

class ExactBytes {
public:
    explicit ExactBytes(std::string_view bytes)
        : mBlock(std::make_unique<char[]>(bytes.size())), mSize(bytes.size()) {
        std::copy(bytes.begin(), bytes.end(), mBlock.get());
    }
    std::string_view view() const { return {mBlock.get(), mSize}; }

private:
    std::unique_ptr<char[]> mBlock;
    std::size_t mSize;
};

} // namespace tavrin::test

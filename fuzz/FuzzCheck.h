#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// A broken property ends the run the way a sanitizer report does, so libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond);       \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz {

// Splits the input into a few parameters and the rest; each take is empty once the input ends.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size)
        : mRest(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t byte() {
        if (mRest.empty())
            return 0;
        const auto b = static_cast<std::uint8_t>(mRest.front());
        mRest.remove_prefix(1);
        return b;
    }
    // Up to the next zero byte (consumed), or the rest.
    std::string_view text() {
        const std::size_t zero = mRest.find('\0');
        const std::string_view t = mRest.substr(0, zero);
        mRest.remove_prefix(zero == std::string_view::npos ? mRest.size() : zero + 1);
        return t;
    }
    std::string_view rest() const { return mRest; }

private:
    std::string_view mRest;
};

} // namespace fuzz

#include "FuzzCheck.h"

#include "launch/GameFiles.h"

#include <zlib.h>

#include <memory>

using namespace tavrin::gamefiles;

namespace {

std::optional<Picture> decodeExact(std::string_view bytes) {
    const auto block = std::make_unique<char[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), block.get());
    return decodeXyz(std::string_view(block.get(), bytes.size()));
}

// The picture that the plain data (palette, then indices) makes, compressed here at `level`.
void roundTrip(unsigned width, unsigned height, int level, std::string_view plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string packed(size, '\0');
    FUZZ_CHECK(compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                         reinterpret_cast<const Bytef*>(plain.data()),
                         static_cast<uLong>(plain.size()), level) == Z_OK);
    packed.resize(size);
    std::string file = "XYZ1";
    file += {static_cast<char>(width & 0xFF), static_cast<char>(width >> 8),
             static_cast<char>(height & 0xFF), static_cast<char>(height >> 8)};
    const std::optional<Picture> picture = decodeExact(file + packed);
    const std::size_t pixels = std::size_t{width} * height;
    if (width == 0 || height == 0 || plain.size() < 768 + pixels) {
        FUZZ_CHECK(!picture);
        return;
    }
    FUZZ_CHECK(picture.has_value());
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::size_t at = static_cast<std::uint8_t>(plain[768 + i]) * std::size_t{3};
        const std::uint32_t rgb =
            static_cast<std::uint32_t>(static_cast<std::uint8_t>(plain[at])) << 16 |
            static_cast<std::uint32_t>(static_cast<std::uint8_t>(plain[at + 1])) << 8 |
            static_cast<std::uint8_t>(plain[at + 2]);
        FUZZ_CHECK(picture->rgb[i] == rgb);
    }
}

} // namespace

// Any bytes decode safely to a picture of the sides its header gives; plain data compressed
// here decodes to its palette's colours, and too little of it to nothing.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::uint8_t mode = in.byte();
    if (mode % 2) {
        const unsigned width = in.byte() % 64;
        const unsigned height = in.byte() % 64;
        roundTrip(width, height, mode / 2 % 10, in.rest());
        return 0;
    }
    const std::string_view bytes = in.rest();
    const std::optional<Picture> picture = decodeExact(bytes);
    if (!picture)
        return 0;
    FUZZ_CHECK(picture->width >= 1 && picture->width <= kLargestPictureSide);
    FUZZ_CHECK(picture->height >= 1 && picture->height <= kLargestPictureSide);
    FUZZ_CHECK(picture->width ==
               (static_cast<std::uint8_t>(bytes[4]) | static_cast<std::uint8_t>(bytes[5]) << 8));
    FUZZ_CHECK(picture->rgb.size() == static_cast<std::size_t>(picture->width) *
                                          static_cast<std::size_t>(picture->height));
    for (std::uint32_t rgb : picture->rgb)
        FUZZ_CHECK(rgb <= 0xFFFFFF);
    return 0;
}

#include "FuzzCheck.h"

#include "launch/CodePageChoices.h"
#include "launch/PlayLog.h"
#include "platform/CodePages.h"

#include <algorithm>

using namespace tavrin;

// The side files beside the settings, as the user's editor or a cut-short write may leave them:
// what each reads writes back the same, and reads again the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::vector<PlayLog::Entry> entries = PlayLog::parse(bytes);
    const std::vector<PlayLog::Entry> again = PlayLog::parse(PlayLog::format(entries));
    FUZZ_CHECK(again.size() == entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        FUZZ_CHECK(again[i].when == entries[i].when && again[i].folder == entries[i].folder);

    const std::map<std::string, int> choices = CodePageChoices::parse(bytes);
    for (const auto& [folder, codePage] : choices)
        FUZZ_CHECK(std::ranges::count(codepage::kCandidates, codePage) == 1 && !folder.empty());
    FUZZ_CHECK(CodePageChoices::parse(CodePageChoices::format(choices)) == choices);
    return 0;
}

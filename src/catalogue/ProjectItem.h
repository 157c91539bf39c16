#pragma once

#include <cstdint>
#include <string>

namespace tavrin {

// Stored in the catalogue file and used as the list's icon index. A file may hold any other
// byte, which draws no icon and is kept as it is.
enum ProjectKind : std::int8_t {
    pkNone = 0,
    pk2000 = 1,
    pk95 = 2,
};

struct ProjectItem {
    std::string path; // the project folder with a trailing backslash, CP932
    std::string title;
    ProjectKind kind = pkNone;

    bool operator==(const ProjectItem&) const = default;
};

} // namespace tavrin

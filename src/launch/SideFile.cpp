#include "launch/SideFile.h"

#include "platform/AppError.h"
#include "platform/FileSystem.h"

namespace tavrin {

std::string SideFile::read() {
    try {
        return mFiles.readFile(mPath, kLimit).value_or(std::string());
    } catch (const AppError&) {
        mKeep = true;
        return {};
    }
}

void SideFile::write(std::string_view bytes) {
    if (!mKeep) {
        mFiles.writeFileAtomic(mPath, bytes);
    }
}

} // namespace tavrin

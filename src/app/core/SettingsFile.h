#pragma once

#include "platform/UserSettings.h"

#include <string>

namespace tavrin {

class FileSystem;
class ProfileFile;

// Every record key, in the file's reading order; missing keys take their defaults.
void readSettingsFile(const ProfileFile& file, UserSettings& record);
// Every record key, in the file's writing order.
void writeSettingsFile(ProfileFile& file, const UserSettings& record);

} // namespace tavrin

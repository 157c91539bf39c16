#pragma once

#include "platform/SettingsRecord.h"

#include <string>

namespace tavrin {

class FileSystem;
class ProfileFile;

// Every record key, in the file's reading order; missing keys take their defaults.
void LoadSettings(const ProfileFile& file, SettingsRecord& record);
// Every record key, in the file's writing order.
void SaveSettings(ProfileFile& file, const SettingsRecord& record);

} // namespace tavrin

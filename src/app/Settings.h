#pragma once

#include "app/SettingsRecord.h"

#include <string>

namespace tavrin {

class FileSystem;
class ProfileFile;

// Every record key, in the file's reading order; missing keys take their defaults.
void LoadSettings(const ProfileFile& file, SettingsRecord& record);
// Every record key, in the file's writing order.
void SaveSettings(ProfileFile& file, const SettingsRecord& record);

// The settings file at a path; a missing or unreadable file reads as empty.
ProfileFile readProfile(FileSystem& fs, const std::string& path);
// Writes the profile atomically when its bytes differ from what is on disk. Throws AppError
// "%s に書き込めません" with the path when it cannot; the old file then stays whole.
void writeProfile(FileSystem& fs, const std::string& path, const ProfileFile& file);

} // namespace tavrin

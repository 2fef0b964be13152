#pragma once

// Every key of Qorv.ini with its default, in the one place they are spelled.

#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

struct SettingKey {
    std::string_view section;
    std::string_view key;
};

namespace settingkeys {
inline constexpr SettingKey kVersion{"Application", "Version"};
inline constexpr SettingKey kFolder{"Data", "Folder"};
inline constexpr SettingKey kStartNumber{"Data", "StartNumber"};
inline constexpr SettingKey kFilter{"Data", "Kaku"};
inline constexpr SettingKey kLowerExt{"Config", "SmallCheck"};
// Keys of features a user may never touch: read when present, written only once set.
inline constexpr SettingKey kShowCaptureTime{"Config", "ShowCaptureTime"};
inline constexpr SettingKey kShowThumbnails{"Config", "ShowThumbnails"};
} // namespace settingkeys

// Written on every save; never read back.
inline constexpr int kSettingsVersion = 21;

// The folder's default is the working directory, known only at run time.
inline constexpr std::string_view kDefaultStartNumber = "001";
inline constexpr std::string_view kDefaultFilter = "*.*";
inline constexpr int kDefaultLowerExt = 1;
inline constexpr int kDefaultShowThumbnails = 1;

struct SavedSettings {
    std::string folder, startNumber, filter;
    // Kept as stored: only exactly 1 lowers extensions, so 5 must survive a run unchanged.
    int lowerExt = kDefaultLowerExt;
    // Absent until the user has shown or hidden the column: a file that never had the key gets
    // none. Any value but 0 shows it; the value is kept as stored.
    std::optional<int> showCaptureTime;
    // Only once the user has switched them: written when set, and set when the file has it.
    std::optional<int> showThumbnails;
};

// Reads the file once; a missing file, section or key gives that key's default.
SavedSettings LoadSettings(const std::string& iniPath, const std::string& workingDirectory);

// Writes the version, the four values and the optional ones that are set, in one atomic
// replacement of the file.
bool SaveSettings(const std::string& iniPath, const SavedSettings& s);

} // namespace quorvel

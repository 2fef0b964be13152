#include "settings/SettingsKeys.h"

#include "settings/ProfileFile.h"

#include <utility>
#include <vector>

namespace quorvel {

SavedSettings LoadSettings(const std::string& iniPath, const std::string& workingDirectory) {
    const ProfileDocument doc = LoadProfile(iniPath).value_or(ProfileDocument{});
    const auto text = [&doc](const SettingKey& k, std::string_view def) {
        return doc.ReadString(k.section, k.key, def);
    };
    // An empty value counts as absent, so a file that has one is not rewritten by a run that
    // never touched the setting.
    const auto optionalInt = [&doc](const SettingKey& k, int def) -> std::optional<int> {
        const std::optional<std::string> value = doc.Value(k.section, k.key);
        if (!value || value->empty())
            return std::nullopt;
        return doc.ReadInt(k.section, k.key, def);
    };
    SavedSettings s;
    s.folder = text(settingkeys::kFolder, workingDirectory);
    s.startNumber = text(settingkeys::kStartNumber, kDefaultStartNumber);
    s.filter = text(settingkeys::kFilter, kDefaultFilter);
    s.lowerExt =
        doc.ReadInt(settingkeys::kLowerExt.section, settingkeys::kLowerExt.key, kDefaultLowerExt);
    s.showCaptureTime = optionalInt(settingkeys::kShowCaptureTime, 0);
    s.showThumbnails = optionalInt(settingkeys::kShowThumbnails, kDefaultShowThumbnails);
    return s;
}

bool SaveSettings(const std::string& iniPath, const SavedSettings& s) {
    const auto entry = [](const SettingKey& k, std::string value) {
        return ProfileEntry{std::string(k.section), std::string(k.key), std::move(value)};
    };
    std::vector<ProfileEntry> entries{
        entry(settingkeys::kVersion, std::to_string(kSettingsVersion)),
        entry(settingkeys::kFolder, s.folder),
        entry(settingkeys::kStartNumber, s.startNumber),
        entry(settingkeys::kFilter, s.filter),
        entry(settingkeys::kLowerExt, std::to_string(s.lowerExt)),
    };
    if (s.showCaptureTime)
        entries.push_back(entry(settingkeys::kShowCaptureTime, std::to_string(*s.showCaptureTime)));
    if (s.showThumbnails)
        entries.push_back(entry(settingkeys::kShowThumbnails, std::to_string(*s.showThumbnails)));
    return WriteProfileValues(iniPath, entries);
}

} // namespace quorvel

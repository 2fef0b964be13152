// Whatever bytes Qorv.ini holds, reading never crashes, and what is read survives a save and a
// second read unchanged.
#include "settings/ProfileFile.h"
#include "settings/SettingsKeys.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

struct Values {
    std::string folder, start, filter;
    int lower;
    bool operator==(const Values&) const = default;
};

Values Read(const quorvel::ProfileDocument& doc) {
    using namespace quorvel::settingkeys;
    return {doc.ReadString(kFolder.section, kFolder.key, "/work"),
            doc.ReadString(kStartNumber.section, kStartNumber.key, "001"),
            doc.ReadString(kFilter.section, kFilter.key, "*.*"),
            doc.ReadInt(kLowerExt.section, kLowerExt.key, 1)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvel::settingkeys;
    quorvel::ProfileDocument doc =
        quorvel::ProfileDocument::FromBytes(std::string(reinterpret_cast<const char*>(data), size));
    const Values before = Read(doc);
    doc.SetValue(kVersion.section, kVersion.key, "21");
    doc.SetValue(kFolder.section, kFolder.key, before.folder);
    doc.SetValue(kStartNumber.section, kStartNumber.key, before.start);
    doc.SetValue(kFilter.section, kFilter.key, before.filter);
    doc.SetValue(kLowerExt.section, kLowerExt.key, std::to_string(before.lower));
    const Values after = Read(quorvel::ProfileDocument::FromBytes(doc.ToBytes()));
    if (!(after == before))
        std::abort();
    return 0;
}

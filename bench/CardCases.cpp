#include "CardCases.h"

#include "BenchData.h"
#include "Cases.h"
#include "Measure.h"

#include "fs/FolderIndex.h"
#include "fs/SafeRename.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace quorvel::bench {

namespace {

// The tests' own way of making and mounting an image, so that the benchmark measures the same
// file system the tests run on.
const std::string kImageScript = QUORVEL_SOURCE_DIR "/tests/support/fsimage.sh";

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// A mounted image, unmounted and removed when it goes.
class CardImage {
public:
    CardImage() {
        const std::string command = "bash -c " + Quoted(". " + kImageScript +
                                                        " && fs_mount exfat >&2 && echo "
                                                        "\"$FS_DIR|$FS_MOUNT|$FS_LOOP\"");
        FILE* out = popen(command.c_str(), "r");
        if (out == nullptr)
            return;
        char line[4096] = {};
        const bool read = std::fgets(line, sizeof line, out) != nullptr;
        const int status = pclose(out);
        std::string text = read ? line : "";
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        if (status != 0 || text.rfind("SKIPPED: ", 0) == 0) {
            m_skipped = text.empty() ? "the exFAT image could not be mounted" : text.substr(9);
            return;
        }
        const auto first = text.find('|');
        const auto second = text.find('|', first + 1);
        m_dir = text.substr(0, first);
        m_mount = text.substr(first + 1, second - first - 1);
        m_loop = text.substr(second + 1);
    }
    ~CardImage() {
        if (m_mount.empty())
            return;
        const std::string command =
            "bash -c " + Quoted(". " + kImageScript + " && FS_DIR=" + Quoted(m_dir) + " FS_MOUNT=" +
                                Quoted(m_mount) + " FS_LOOP=" + Quoted(m_loop) + " && fs_unmount");
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "# could not unmount %s\n", m_mount.c_str());
    }
    CardImage(const CardImage&) = delete;
    CardImage& operator=(const CardImage&) = delete;

    const std::string& mount() const { return m_mount; }
    const std::string& skipped() const { return m_skipped; }

private:
    std::string m_dir, m_mount, m_loop, m_skipped;
};

std::string Numbered(const char* prefix, std::size_t n, const char* extension) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%04zu%s", prefix, n, extension);
    return name;
}

// Milliseconds of the batch of renames from IMG_nnnn.JPG to prefix + nnnn + .jpg on a fresh card.
double BatchOnFreshCard(std::size_t files, const char* prefix, std::string& skipped) {
    const CardImage card;
    if (card.mount().empty()) {
        skipped = card.skipped();
        return -1;
    }
    const std::string folder = card.mount() + "/DCIM";
    std::vector<std::string> names;
    for (std::size_t n = 1; n <= files; ++n)
        names.push_back(Numbered("IMG_", n, ".JPG"));
    if (const std::string error = MakeFolderOfFiles(folder, names); !error.empty())
        throw CaseFailure(error);
    const FolderHandle handle(folder);
    if (!handle.ok())
        throw CaseFailure("cannot open " + folder);
    FolderIndex index;
    int error = 0;
    const double ms = MillisecondsOf([&] {
        for (std::size_t n = 1; n <= files && error == 0; ++n)
            error = RenameNoReplace(handle.fd(), names[n - 1], Numbered(prefix, n, ".jpg"),
                                    DefaultRenameSystem(), &index);
    });
    if (error != 0)
        throw CaseFailure("a rename on the card failed: errno " + std::to_string(error));
    return ms;
}

} // namespace

bool CardRenameCase(std::size_t files, CardTiming& timing, std::string& skipped) {
    timing.newNamesMs = BatchOnFreshCard(files, "P", skipped);
    if (timing.newNamesMs < 0)
        return false;
    timing.caseOnlyMs = BatchOnFreshCard(files, "IMG_", skipped);
    return timing.caseOnlyMs >= 0;
}

} // namespace quorvel::bench

#pragma once

#include "mainwnd/NumberingDlg.h"
#include "platform/FileListView.h"

#include <QHeaderView>
#include <QTest>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quorvel::test {

// Seconds since the epoch of a UTC date and time.
inline std::int64_t UtcSeconds(int year, unsigned month, unsigned day, int hour = 0, int minute = 0,
                               int second = 0) {
    using namespace std::chrono;
    const sys_days date =
        year_month_day{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}};
    return date.time_since_epoch().count() * 86400 + hour * 3600 + minute * 60 + second;
}

inline bool SetModifiedTime(const std::string& path, std::int64_t seconds, bool ofLink = false) {
    const timespec times[2] = {{static_cast<time_t>(seconds), 0},
                               {static_cast<time_t>(seconds), 0}};
    return utimensat(AT_FDCWD, path.c_str(), times, ofLink ? AT_SYMLINK_NOFOLLOW : 0) == 0;
}

// A file holding its own name, so a later rename can be traced back to it. The name is raw
// bytes: it need not be UTF-8.
inline bool MakeFile(const std::string& folder, const std::string& name, std::int64_t seconds) {
    const std::string path = folder + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, name.data(), name.size()) == ssize_t(name.size());
    ::close(fd);
    return written && SetModifiedTime(path, seconds);
}

inline bool MakeFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0755) == 0;
}

inline bool MakeLink(const std::string& target, const std::string& path) {
    return ::symlink(target.c_str(), path.c_str()) == 0;
}

// Clicks a column header with the mouse, as a person would; the click reaches the window only
// through the list's own notification.
inline void ClickHeader(CNumberingDlg& dlg, int column) {
    QHeaderView* header = dlg.m_listFiles.View()->horizontalHeader();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

} // namespace quorvel::test

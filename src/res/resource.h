#pragma once

// Resource and command ids. The values are fixed: stored templates and tests refer to them.
namespace quorvel {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDC_STATIC = -1;

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDD_SETTINGS = 135;

inline constexpr int IDC_FOLDER = 1000;
inline constexpr int IDC_FILELIST = 1001;
inline constexpr int IDC_SELECTALL = 1002;
inline constexpr int IDC_DESELECTALL = 1003;
inline constexpr int IDC_LOWERCASE_EXT = 1003; // settings dialog; never meets IDC_DESELECTALL
inline constexpr int IDC_START = 1004;
inline constexpr int IDC_SETTINGS = 1005;
inline constexpr int IDC_BROWSE = 1006;
inline constexpr int IDC_PREFIX = 1007;
inline constexpr int IDC_STARTNUMBER = 1008;
inline constexpr int IDC_FILTER = 1009;
inline constexpr int IDC_UP = 1010;
inline constexpr int IDC_DOWN = 1011;
inline constexpr int IDC_EXIT = 1012;
inline constexpr int IDC_REFRESH = 1013;

inline constexpr unsigned IDM_ABOUTBOX = 0x0010;

} // namespace quorvel

#pragma once

#include <cstdint>

// The handful of window-layer constants the program's logic is written against. Values are the
// classic ones so that ids, masks and styles read the same everywhere.
namespace quorvel {

// Messages routed through a dialog's command table.
inline constexpr unsigned WM_DESTROY = 0x0002;
inline constexpr unsigned WM_NOTIFY = 0x004E;
inline constexpr unsigned WM_COMMAND = 0x0111;
inline constexpr unsigned WM_SYSCOMMAND = 0x0112;

// Notification codes.
inline constexpr int BN_CLICKED = 0;
inline constexpr int EN_CHANGE = 0x0300;
inline constexpr int NM_CLICK = -2;
inline constexpr int LVN_COLUMNCLICK = -108;

// System commands.
inline constexpr unsigned SC_CLOSE = 0xF060;

// Window styles.
inline constexpr std::uint32_t WS_POPUP = 0x80000000u;
inline constexpr std::uint32_t WS_CHILD = 0x40000000u;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000u;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000u;
inline constexpr std::uint32_t WS_BORDER = 0x00800000u;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000u;
inline constexpr std::uint32_t WS_GROUP = 0x00020000u;
inline constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000u;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000u;
inline constexpr std::uint32_t DS_MODALFRAME = 0x80u;
inline constexpr std::uint32_t DS_SETFONT = 0x40u;
inline constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000u;

inline constexpr std::uint32_t ES_AUTOHSCROLL = 0x80u;
inline constexpr std::uint32_t BS_PUSHBUTTON = 0x0u;
inline constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x1u;
inline constexpr std::uint32_t BS_AUTOCHECKBOX = 0x3u;
inline constexpr std::uint32_t BS_TYPEMASK = 0xFu;
inline constexpr std::uint32_t SS_LEFT = 0x0u;
inline constexpr std::uint32_t SS_CENTER = 0x1u;
inline constexpr std::uint32_t SS_ICON = 0x3u;
inline constexpr std::uint32_t SS_TYPEMASK = 0x1Fu;
inline constexpr std::uint32_t SS_NOPREFIX = 0x80u;
inline constexpr std::uint32_t LVS_REPORT = 0x1u;
inline constexpr std::uint32_t LVS_SHOWSELALWAYS = 0x8u;

// List view.
inline constexpr unsigned LVIS_FOCUSED = 0x1;
inline constexpr unsigned LVIS_SELECTED = 0x2;
inline constexpr int LVNI_SELECTED = 0x2;
inline constexpr int LVCFMT_LEFT = 0;
inline constexpr std::uint32_t LVS_EX_FULLROWSELECT = 0x20;

// Message box styles and answers.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_TYPEMASK = 0xF;
inline constexpr unsigned MB_ICONHAND = 0x10;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_ICONMASK = 0xF0;

// A colour value: red in the lowest byte, then green, then blue.
using ColorRef = std::uint32_t;
constexpr ColorRef Rgb(unsigned r, unsigned g, unsigned b) {
    return r | (g << 8) | (b << 16);
}

// One routed message. `fromControl` tells a control's WM_COMMAND from a menu or accelerator.
struct Message {
    unsigned message = 0;
    int code = 0;
    int id = 0;
    bool fromControl = false;
    unsigned commandId = 0; // WM_SYSCOMMAND
    long param = 0;         // WM_SYSCOMMAND
    int subItem = -1;       // LVN_COLUMNCLICK: the clicked column
    long result = 0;        // WM_NOTIFY result slot
};

} // namespace quorvel

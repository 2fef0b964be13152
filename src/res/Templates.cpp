#include "res/Templates.h"

#include "platform/WindowTypes.h"
#include "res/resource.h"

namespace quorvel {
namespace {

constexpr std::uint32_t kChild = WS_CHILD | WS_VISIBLE;
constexpr std::uint32_t kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr std::uint32_t kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr const char* kDialogFont = "ＭＳ Ｐゴシック";

// The order is the tab order.
constexpr ControlTemplate kMainControls[] = {
    {IDC_FOLDER, ControlClass::Edit, "", 10, 15, 160, 15, kEdit},
    {IDC_BROWSE, ControlClass::Button, "参照", 170, 15, 25, 15, kButton},
    {IDC_FILELIST, ControlClass::ListView, "List1", 10, 40, 160, 145,
     kChild | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS},
    {IDC_PREFIX, ControlClass::Edit, "", 10, 205, 50, 15, kEdit},
    {IDC_STARTNUMBER, ControlClass::Edit, "", 65, 205, 30, 15, kEdit},
    {IDC_FILTER, ControlClass::Edit, "", 130, 205, 35, 15, kEdit},
    {IDC_SELECTALL, ControlClass::Button, "全選択", 175, 50, 55, 15, kButton},
    {IDC_DESELECTALL, ControlClass::Button, "全解除", 175, 65, 55, 15, kButton},
    {IDC_UP, ControlClass::Button, "↑", 190, 90, 25, 15, kButton},
    {IDC_DOWN, ControlClass::Button, "↓", 190, 105, 25, 15, kButton},
    {IDC_START, ControlClass::Button, "変換開始", 175, 155, 55, 25,
     kChild | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {IDC_SETTINGS, ControlClass::Button, "設定", 175, 185, 55, 15, kButton},
    {IDC_STATIC, ControlClass::Static, "変更元フォルダ", 10, 5, 75, 10, kChild | WS_GROUP | SS_LEFT},
    {IDC_STATIC, ControlClass::Static, "前固定部", 10, 195, 30, 10, kChild | WS_GROUP | SS_LEFT},
    {IDC_STATIC, ControlClass::Static, "開始番号", 65, 195, 30, 10, kChild | WS_GROUP | SS_CENTER},
    {IDC_STATIC, ControlClass::Static, "表示拡張子", 130, 195, 35, 10, kChild | WS_GROUP | SS_LEFT},
    {IDC_EXIT, ControlClass::Button, "終了", 175, 205, 55, 15, kButton},
    {IDC_REFRESH, ControlClass::Button, "表示更新", 175, 130, 55, 15, kButton},
};

constexpr ControlTemplate kSettingsControls[] = {
    {IDOK, ControlClass::Button, "OK", 20, 30, 45, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {IDCANCEL, ControlClass::Button, "ｷｬﾝｾﾙ", 65, 30, 45, 14, kButton},
    {IDC_LOWERCASE_EXT, ControlClass::Button, "変換時に拡張子を小文字にする。", 10, 10, 110, 10,
     kChild | WS_TABSTOP | BS_AUTOCHECKBOX},
};

constexpr ControlTemplate kAboutControls[] = {
    {IDC_STATIC, ControlClass::Static, "", 11, 17, 20, 20, kChild | SS_ICON},
    {IDC_STATIC, ControlClass::Static, "Quorvel Version 2.1", 40, 10, 119, 8,
     kChild | WS_GROUP | SS_LEFT | SS_NOPREFIX},
    {IDC_STATIC, ControlClass::Static, "The Quorvel developers", 40, 25, 119, 8,
     kChild | WS_GROUP | SS_LEFT},
    {IDOK, ControlClass::Button, "OK", 178, 7, 50, 14,
     kChild | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON},
};

constexpr std::uint32_t kModalStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

} // namespace

const DialogTemplate& MainDialogTemplate() {
    static const DialogTemplate t{IDD_MAIN,
                                  "Quorvel",
                                  0,
                                  0,
                                  239,
                                  229,
                                  kModalStyle | WS_VISIBLE | WS_MINIMIZEBOX,
                                  WS_EX_APPWINDOW,
                                  kDialogFont,
                                  9,
                                  kMainControls};
    return t;
}

const DialogTemplate& SettingsDialogTemplate() {
    static const DialogTemplate t{
        IDD_SETTINGS, "設定", 0, 0, 129, 49, kModalStyle, 0, kDialogFont, 9, kSettingsControls};
    return t;
}

const DialogTemplate& AboutDialogTemplate() {
    static const DialogTemplate t{IDD_ABOUTBOX,
                                  "Quorvelのﾊﾞｰｼﾞｮﾝ情報",
                                  0,
                                  0,
                                  235,
                                  55,
                                  kModalStyle,
                                  0,
                                  kDialogFont,
                                  9,
                                  kAboutControls};
    return t;
}

} // namespace quorvel

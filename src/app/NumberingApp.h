#pragma once

#include <string>

namespace quorvel {

class IMessageBox;

// The application: points the settings at Qorv.ini in the working directory and runs the main
// window once, modally.
class CNumberingApp {
public:
    explicit CNumberingApp(IMessageBox& messageBox);

    // Always false: the main window's one modal run is the program's whole life.
    bool InitInstance();
    int ExitInstance();

    const std::string& SettingsPath() const { return m_settingsPath; }

private:
    IMessageBox& m_messageBox;
    std::string m_settingsPath;
};

// The caption of the application's own message boxes.
inline constexpr const char* kAppName = "Quorvel";

} // namespace quorvel

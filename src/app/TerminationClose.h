#pragma once

#include "platform/MessageBox.h"

#include <string>

namespace quorvel {

class CNumberingDlg;
class QtProgressWindow;

// Once the program is asked to end, nobody is left to read a box: each answers at once, as if
// cancelled.
class BoxesUntilTermination : public IMessageBox {
public:
    explicit BoxesUntilTermination(IMessageBox& boxes) : m_boxes(boxes) {}
    int Show(QWidget* owner, const std::string& text, const std::string& caption,
             unsigned style) override;
    int ShowWithDetails(QWidget* owner, const std::string& text, const std::string& caption,
                        unsigned style, const std::string& details) override;
    void End() { m_ending = true; }

private:
    IMessageBox& m_boxes;
    bool m_ending = false;
};

// What a termination signal does to the window: from now on boxes answer as if cancelled, and
// long work stops before its next step. Boxes and dialogs open over the window answer as if
// cancelled, then the window closes the way its close box does, which saves the settings once;
// while long work runs, only once the handler that runs it has returned, so that no handler
// runs in the middle of another.
void CloseForTermination(CNumberingDlg& dlg, QtProgressWindow& progress,
                         BoxesUntilTermination& boxes);

} // namespace quorvel

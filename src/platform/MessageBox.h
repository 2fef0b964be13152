#pragma once

#include <string>

class QWidget;

namespace quorvel {

// The one way the program shows a modal message box, so tests can record what was asked and
// answer it. Style bits are the classic MB_* values; the answer is IDOK or IDCANCEL.
class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual int Show(QWidget* owner, const std::string& text, const std::string& caption,
                     unsigned style) = 0;
    // The same box with a details section that the user can open; an implementation without one
    // shows the box alone.
    virtual int ShowWithDetails(QWidget* owner, const std::string& text, const std::string& caption,
                                unsigned style, const std::string& /*details*/) {
        return Show(owner, text, caption, style);
    }
};

// Shows a real QMessageBox.
class QtMessageBox : public IMessageBox {
public:
    int Show(QWidget* owner, const std::string& text, const std::string& caption,
             unsigned style) override;
    // The details start collapsed, behind the box's own button for them.
    int ShowWithDetails(QWidget* owner, const std::string& text, const std::string& caption,
                        unsigned style, const std::string& details) override;
};

} // namespace quorvel

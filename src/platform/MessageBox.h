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
};

// Shows a real QMessageBox.
class QtMessageBox : public IMessageBox {
public:
    int Show(QWidget* owner, const std::string& text, const std::string& caption,
             unsigned style) override;
};

} // namespace quorvel

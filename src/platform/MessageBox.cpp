#include "platform/MessageBox.h"

#include "platform/WindowTypes.h"
#include "res/resource.h"

#include <QMessageBox>
#include <QPushButton>

namespace quorvel {
namespace {

QMessageBox::Icon IconFor(unsigned style) {
    switch (style & MB_ICONMASK) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

int QtMessageBox::Show(QWidget* owner, const std::string& text, const std::string& caption,
                       unsigned style) {
    return ShowWithDetails(owner, text, caption, style, std::string());
}

int QtMessageBox::ShowWithDetails(QWidget* owner, const std::string& text,
                                  const std::string& caption, unsigned style,
                                  const std::string& details) {
    QMessageBox box(IconFor(style), QString::fromUtf8(caption), QString::fromUtf8(text),
                    QMessageBox::NoButton, owner);
    box.setTextFormat(Qt::PlainText);
    if (!details.empty())
        box.setDetailedText(QString::fromUtf8(details));
    const bool okCancel = (style & MB_TYPEMASK) == MB_OKCANCEL;
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    if (okCancel)
        box.addButton(QMessageBox::Cancel);
    else
        box.setEscapeButton(ok);
    box.exec();
    return box.clickedButton() == ok ? IDOK : IDCANCEL;
}

} // namespace quorvel

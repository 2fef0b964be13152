#pragma once

#include <QFont>
#include <QRect>

namespace quorvel {

// The dialog font: the template's face first, then stand-ins that hold the same glyphs.
QFont DialogFont();

// Dialog units as the classic dialog manager derives them from the dialog font: base x is the
// rounded average advance of "A".."Z" "a".."z", base y the font height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}

    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }
    int toPixelsX(int units) const;
    int toPixelsY(int units) const;
    QRect toPixels(int x, int y, int cx, int cy) const;

private:
    int m_baseX;
    int m_baseY;
};

// a * b / c rounded half away from zero, as the platform's MulDiv.
int MulDiv(int a, int b, int c);

} // namespace quorvel

#include "ui/DialogUnits.h"

#include <QFontMetrics>
#include <QWidget>

namespace numora {

CDialogUnits::CDialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    // The average width of the Latin letters, as dialog templates have always measured it.
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_charWidth = (fm.horizontalAdvance(letters) / 26 + 1) / 2;
    if (m_charWidth < 1) m_charWidth = 1;
    m_charHeight = fm.height() > 0 ? fm.height() : 1;
}

void CDialogUnits::Place(QWidget* widget, int x, int y, int w, int h) const {
    widget->setGeometry(Rect(x, y, w, h));
}

}  // namespace numora

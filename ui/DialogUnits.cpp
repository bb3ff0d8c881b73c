#include "ui/DialogUnits.h"

#include <QFontMetrics>
#include <QLabel>
#include <QWidget>
#include <algorithm>

namespace numora {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    // Dialog units rest on the average width of the Latin letters.
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_charWidth = (fm.horizontalAdvance(letters) / 26 + 1) / 2;
    if (m_charWidth < 1) m_charWidth = 1;
    m_charHeight = fm.height() > 0 ? fm.height() : 1;
}

void DialogUnits::Place(QWidget* widget, int x, int y, int w, int h) const {
    widget->setGeometry(Rect(x, y, w, h));
}

void DialogUnits::PlaceLabel(QLabel* label, int x, int y, int w, int h) const {
    QRect r = Rect(x, y, w, h);
    const int need = label->sizeHint().width();
    if (need > r.width()) {
        if (label->alignment() & Qt::AlignRight) {
            r.setLeft(std::max(0, r.right() + 1 - need));
        } else {
            r.setWidth(need);
        }
    }
    label->setGeometry(r);
}

}  // namespace numora

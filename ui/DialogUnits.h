// Places controls the way the form's dialog templates lay them out: positions and sizes are in
// dialog units, a quarter of the font's average character width across and an eighth of its
// height down, so the form keeps its proportions with whatever font the desktop has.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

class QLabel;
class QWidget;

namespace numora {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int X(int units) const { return (units * m_charWidth + 2) / 4; }
    int Y(int units) const { return (units * m_charHeight + 4) / 8; }
    QRect Rect(int x, int y, int w, int h) const { return {X(x), Y(y), X(w), Y(h)}; }
    QSize Size(int w, int h) const { return {X(w), Y(h)}; }
    // A width the form gives in pixels of its own 8-point font (6 pixels to the average
    // character), widened or narrowed with the font in use.
    int Pixels(int px) const { return (px * m_charWidth + 3) / 6; }

    // Puts a control at its template position.
    void Place(QWidget* widget, int x, int y, int w, int h) const;
    // Puts a label at its template position, widened where the font needs more room for its
    // text: a right-aligned label grows to the left, any other to the right.
    void PlaceLabel(QLabel* label, int x, int y, int w, int h) const;

private:
    int m_charWidth;
    int m_charHeight;
};

}  // namespace numora

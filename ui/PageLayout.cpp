#include "ui/PageLayout.h"

#include <algorithm>
#include <cmath>

namespace numora {

namespace {

// The template's edges and sizes, in dialog units.
constexpr int kMargin = 2;
constexpr int kListTop = 51;
constexpr int kListWidth = 220;
constexpr int kListHeight = 273;
constexpr int kPanelWidth = 150;
constexpr int kPanelHeight = 324;
constexpr int kPanelFieldsHeight = 301;
constexpr int kPanelButtonsTop = 303;
constexpr std::array<int, 3> kPanelButtonsLeft = {239, 281, 323};
constexpr int kPanelButtonWidth = 35;
constexpr int kPanelButtonHeight = 15;
constexpr int kProgressTop = 327;
constexpr int kProgressWidth = 372;
constexpr int kProgressHeight = 6;
constexpr int kCommandsTop = 338;
constexpr std::array<int, 4> kCommandsLeft = {2, 94, 192, 284};
constexpr int kCommandWidth = 90;
constexpr int kCommandHeight = 16;
constexpr int kComboLeft = 65;
constexpr int kTopButtonGap = 8;  // between a top-row combo and its button
// What the list and the panel keep when the window is small.
constexpr int kMinComboWidth = 40;
constexpr int kMinListHeight = 40;
constexpr int kMinPanelView = 48;

}  // namespace

QSize PanelFieldsSize(const DialogUnits& units) {
    return units.Size(kPanelWidth, kPanelFieldsHeight);
}

QSize MinimumPageGrowth(const PageMetrics& m) {
    const DialogUnits& du = m.units;
    // The top row's buttons move in with the list's right edge until the combos are narrow.
    const int listShift = du.X(kComboLeft + kMinComboWidth + kTopButtonGap) - du.X(153);
    const int width = listShift + m.scrollBarWidth + 2 * m.frameWidth;
    const int forList = du.Y(kMinListHeight) - du.Y(kListHeight);
    const int forPanel = du.Y(kMinPanelView) - du.Y(kPanelFieldsHeight) + m.frameWidth;
    return {width, std::max(forList, forPanel)};
}

PageGeometry LayOutPage(QSize growth, const PageMetrics& m) {
    const DialogUnits& du = m.units;
    const QSize g = growth.expandedTo(MinimumPageGrowth(m));
    PageGeometry p;
    p.panelScrolls = g.height() < 0;
    const int fw = p.panelScrolls ? m.frameWidth : 0;
    // A scrolling panel is wider by its scroll bar, taken from the list.
    const int widened = p.panelScrolls ? m.scrollBarWidth + 2 * m.frameWidth : 0;
    const int dx = g.width() - widened;
    const int dy = g.height();

    p.filterCombo = QRect(du.X(kComboLeft), du.Y(9), du.X(80), m.comboHeight);
    p.editGroup = du.Rect(153, 8, 60, 16);
    p.smsCombo = QRect(du.X(kComboLeft), du.Y(28), du.X(79), m.comboHeight);
    p.editSmsGroup = du.Rect(153, 27, 60, 17);
    if (dx < 0) {
        p.editGroup.translate(dx, 0);
        p.editSmsGroup.translate(dx, 0);
        const int comboRight = p.editGroup.left() - du.X(kTopButtonGap) - 1;
        for (QRect* combo : {&p.filterCombo, &p.smsCombo})
            combo->setRight(std::min(combo->right(), comboRight));
    }

    p.list = QRect(du.X(kMargin), du.Y(kListTop), du.X(kListWidth) + dx, du.Y(kListHeight) + dy);

    const int shorter = std::min(dy, 0);
    p.panelFrame =
        QRect(du.X(kPanelLeft) + dx, 0, du.X(kPanelWidth) + widened, du.Y(kPanelHeight) + shorter);
    const QSize fields = PanelFieldsSize(du);
    p.panelView = p.panelScrolls
                      ? QRect(p.panelFrame.left() + fw, fw, p.panelFrame.width() - 2 * fw,
                              fields.height() + shorter - fw)
                      : QRect(p.panelFrame.topLeft(), fields);
    for (std::size_t k = 0; k < p.panelButtons.size(); ++k) {
        p.panelButtons[k] =
            QRect(du.X(kPanelButtonsLeft[k]) + dx + fw, du.Y(kPanelButtonsTop) + shorter,
                  du.X(kPanelButtonWidth), du.Y(kPanelButtonHeight));
    }

    p.progress = QRect(du.X(kMargin), du.Y(kProgressTop) + dy, du.X(kProgressWidth) + g.width(),
                       du.Y(kProgressHeight));
    // On a narrow page the commands keep their order and shares of the row.
    const double share =
        g.width() < 0 ? double(du.X(kProgressWidth) + g.width()) / du.X(kProgressWidth) : 1.0;
    for (std::size_t k = 0; k < p.commands.size(); ++k) {
        const int left =
            du.X(kMargin) + int(std::lround((du.X(kCommandsLeft[k]) - du.X(kMargin)) * share));
        p.commands[k] = QRect(left, du.Y(kCommandsTop) + dy,
                              int(std::lround(du.X(kCommandWidth) * share)), du.Y(kCommandHeight));
    }
    return p;
}

}  // namespace numora

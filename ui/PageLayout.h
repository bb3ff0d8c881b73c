// Where the phone book page's controls go for the room the window gives it. The room is told
// as growth over the page's template size: with none, every control stands where the template
// puts it. More room goes to the list (wider shows more columns, taller more rows) while the
// panel and the command row move with the right and bottom edges. With less room the list
// gives up width and height down to a minimum, the panel scrolls above a fixed row of its
// Delete, Reset and Save buttons, the top row's buttons move in with the list's right edge
// and the command buttons share the width there is.
#pragma once

#include <QRect>
#include <QSize>
#include <array>

#include "ui/DialogUnits.h"

namespace numora {

// The page's template size and the left edge of its panel, in dialog units.
inline constexpr int kPageWidth = 375;
inline constexpr int kPageHeight = 356;
inline constexpr int kPanelLeft = 224;

struct PageMetrics {
    DialogUnits units;
    int scrollBarWidth = 0;
    int frameWidth = 0;  // of the panel's frame, kept clear while the panel scrolls
    int comboHeight = 0;
};

struct PageGeometry {
    QRect filterCombo, editGroup, smsCombo, editSmsGroup;
    QRect list;
    QRect panelFrame;
    QRect panelView;  // what shows of the panel's fields; they scroll in it when it is short
    std::array<QRect, 3> panelButtons;  // Delete, Reset, Save
    QRect progress;
    std::array<QRect, 4> commands;  // Read from Phone, Write to Phone, File Open, File Save
    bool panelScrolls = false;
};

// The panel's fields, in pixels: everything above its button row.
[[nodiscard]] QSize PanelFieldsSize(const DialogUnits& units);

// The least growth (most negative) the page can be laid out in.
[[nodiscard]] QSize MinimumPageGrowth(const PageMetrics& metrics);

// The controls' places for a growth of at least MinimumPageGrowth.
[[nodiscard]] PageGeometry LayOutPage(QSize growth, const PageMetrics& metrics);

}  // namespace numora

// The form view of the main window. The form holds a tab widget with one tab, the "Phone Book"
// page, whose tab is greyed while the page works and which has the page's find field beside
// it. The form follows the view's size: what the view has beyond the form's template size (or
// lacks of it) goes to the page, which lays its controls out for it; only below the least the
// page can be laid out in does the view scroll.
#pragma once

#include <QFrame>
#include <QScrollArea>
#include <QTabWidget>

#include "link/Clock.h"
#include "link/Port.h"
#include "link/Profile.h"

namespace numora {

class PhoneBookPage;

class FormView : public QScrollArea {
    Q_OBJECT
public:
    // The form's size in dialog units.
    static constexpr int kFormWidth = 395;
    static constexpr int kFormHeight = 389;

    FormView(Port& port, Clock& clock, Profile& profile, QWidget* parent = nullptr);

    QTabWidget* Tabs() const { return m_tabs; }
    PhoneBookPage* Page() const { return m_page; }
    // The size the view needs to show the form at its template size.
    QSize FormSize() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitForm();

    QWidget* m_form;
    QFrame* m_placeholder = nullptr;
    QSize m_formSize;         // the template's, in pixels
    QSize m_placeholderSize;  // the template's, in pixels
    QTabWidget* m_tabs = nullptr;
    PhoneBookPage* m_page = nullptr;
};

}  // namespace numora

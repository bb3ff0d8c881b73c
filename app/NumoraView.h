// The form view of the main window and the property sheet it hosts. The view is a scroll area
// around a form of fixed size, so a window smaller than the form scrolls. The sheet is a tab
// widget with one tab, the "Phone Book" page, whose tab is greyed while the page works.
#pragma once

#include <QScrollArea>
#include <QTabWidget>
#include <cstdint>
#include <span>

#include "link/Clock.h"
#include "link/Port.h"
#include "link/Profile.h"

namespace numora {

class CPBDialog;

class CMyPropSheet : public QTabWidget {
    Q_OBJECT
public:
    CMyPropSheet(IPort& port, IClock& clock, IProfile& profile, QWidget* parent);

    CPBDialog* Page() const { return m_pPage; }

public slots:
    // The page asks for its tab to be greyed during long work and restored afterwards.
    void OnSheetEnable(bool enable);

private:
    CPBDialog* m_pPage;
};

class CNumoraView : public QScrollArea {
    Q_OBJECT
public:
    // The form's size in dialog units.
    static constexpr int kFormWidth = 395;
    static constexpr int kFormHeight = 389;

    CNumoraView(IPort& port, IClock& clock, IProfile& profile, QWidget* parent = nullptr);

    CMyPropSheet* Sheet() const { return m_pSheet; }
    CPBDialog* Page() const;
    // The size the view needs to show the whole form without scrolling.
    QSize FormSize() const;

    // A burst from the port, escapes still in: the page's session removes them and hands the
    // block on to the port search or the engine.
    void OnPhoneData(std::span<uint8_t> block);

public slots:
    // Ctrl+P. The printout is built elsewhere; this is where it starts.
    void OnFilePrint();

signals:
    void printRequested();

private:
    QWidget* m_form;
    CMyPropSheet* m_pSheet = nullptr;
};

}  // namespace numora

// The form view of the main window and the property sheet it hosts. The form follows the view's
// size: what the view has beyond the form's template size (or lacks of it) goes to the page,
// which lays its controls out for it; only below the least the page can be laid out in does
// the view scroll. The sheet is a tab widget with one tab, the "Phone Book" page, whose tab is
// greyed while the page works.
#pragma once

#include <QFrame>
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
    // The room the page gets in a sheet of this size, below the tab.
    QSize PageRoom(QSize sheet) const;

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
    // The size the view needs to show the form at its template size.
    QSize FormSize() const;

    // A burst from the port, escapes still in: the page's session removes them and hands the
    // block on to the port search or the engine.
    void OnPhoneData(std::span<uint8_t> block);

public slots:
    // Ctrl+P. The printout is built elsewhere; this is where it starts.
    void OnFilePrint();

signals:
    void printRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitForm();

    QWidget* m_form;
    QFrame* m_placeholder = nullptr;
    QSize m_formSize;         // the template's, in pixels
    QSize m_placeholderSize;  // the template's, in pixels
    CMyPropSheet* m_pSheet = nullptr;
};

}  // namespace numora

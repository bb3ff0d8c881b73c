#include "app/NumoraView.h"

#include <QFrame>
#include <QTabBar>

#include "ui/DialogUnits.h"
#include "ui/PBDialog.h"

namespace numora {

CMyPropSheet::CMyPropSheet(IPort& port, IClock& clock, IProfile& profile, QWidget* parent)
    : QTabWidget(parent), m_pPage(new CPBDialog(port, clock, profile)) {
    setObjectName(QStringLiteral("propertySheet"));
    addTab(m_pPage, m_pPage->windowTitle());
    connect(m_pPage, &CPBDialog::sheetEnable, this, &CMyPropSheet::OnSheetEnable);
}

void CMyPropSheet::OnSheetEnable(bool enable) {
    tabBar()->setEnabled(enable);
}

CNumoraView::CNumoraView(IPort& port, IClock& clock, IProfile& profile, QWidget* parent)
    : QScrollArea(parent), m_form(new QWidget) {
    setObjectName(QStringLiteral("formView"));
    const CDialogUnits du(m_form->font());
    m_form->setFixedSize(du.Size(kFormWidth, kFormHeight));
    // The placeholder frame the sheet fills.
    auto* placeholder = new QFrame(m_form);
    placeholder->setFrameShape(QFrame::Box);
    placeholder->setFrameShadow(QFrame::Sunken);
    du.Place(placeholder, 1, 1, 393, 381);
    m_pSheet = new CMyPropSheet(port, clock, profile, placeholder);
    m_pSheet->setGeometry(0, 0, placeholder->width(), placeholder->height());
    setWidget(m_form);
    setWidgetResizable(false);
}

CPBDialog* CNumoraView::Page() const {
    return m_pSheet->Page();
}

QSize CNumoraView::FormSize() const {
    const int frame = 2 * frameWidth();
    return m_form->size() + QSize(frame, frame);
}

void CNumoraView::OnPhoneData(std::span<uint8_t> block) {
    Page()->Session().OnReceivedBlock(block);
}

void CNumoraView::OnFilePrint() {
    emit printRequested();
}

}  // namespace numora

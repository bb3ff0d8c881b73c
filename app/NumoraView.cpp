#include "app/NumoraView.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <algorithm>

#include "ui/DialogUnits.h"
#include "ui/PBDialog.h"

namespace numora {

CMyPropSheet::CMyPropSheet(IPort& port, IClock& clock, IProfile& profile, QWidget* parent)
    : QTabWidget(parent), m_pPage(new CPBDialog(port, clock, profile)) {
    setObjectName(QStringLiteral("propertySheet"));
    addTab(m_pPage, m_pPage->windowTitle());
    connect(m_pPage, &CPBDialog::sheetEnable, this, &CMyPropSheet::OnSheetEnable);
    // The page's find field stands beside its tab, above the list, where the page's own layout
    // has no room for it.
    QLineEdit* find = m_pPage->FindField();
    setCornerWidget(find, Qt::TopRightCorner);
    find->show();
}

QSize CMyPropSheet::PageRoom(QSize sheet) const {
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    option.rect = QRect(QPoint(), sheet);
    return style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this).size();
}

void CMyPropSheet::OnSheetEnable(bool enable) {
    tabBar()->setEnabled(enable);
}

CNumoraView::CNumoraView(IPort& port, IClock& clock, IProfile& profile, QWidget* parent)
    : QScrollArea(parent), m_form(new QWidget) {
    setObjectName(QStringLiteral("formView"));
    const CDialogUnits du(m_form->font());
    m_formSize = du.Size(kFormWidth, kFormHeight);
    m_form->resize(m_formSize);
    // The placeholder frame the sheet fills.
    m_placeholder = new QFrame(m_form);
    m_placeholder->setFrameShape(QFrame::Box);
    m_placeholder->setFrameShadow(QFrame::Sunken);
    du.Place(m_placeholder, 1, 1, 393, 381);
    m_placeholderSize = m_placeholder->size();
    m_pSheet = new CMyPropSheet(port, clock, profile, m_placeholder);
    m_pSheet->setGeometry(0, 0, m_placeholder->width(), m_placeholder->height());
    setWidget(m_form);
    setWidgetResizable(false);
}

void CNumoraView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    FitForm();
}

// The form grows and shrinks with the view, its sheet and page with it. At the template size
// the sheet leaves the page more room than the page's template needs; a smaller window takes
// that spare room first, and only then do the page's controls move in.
void CNumoraView::FitForm() {
    const QSize spare =
        (m_pSheet->PageRoom(m_placeholderSize) - Page()->TemplateSize()).expandedTo(QSize(0, 0));
    const QSize growth =
        (maximumViewportSize() - m_formSize).expandedTo(Page()->MinimumGrowth() - spare);
    m_form->resize(m_formSize + growth);
    m_placeholder->resize(m_placeholderSize + growth);
    m_pSheet->resize(m_placeholder->size());
    const auto pageGrowth = [](int g, int room) { return g >= 0 ? g : std::min(0, g + room); };
    Page()->SetGrowth(QSize(pageGrowth(growth.width(), spare.width()),
                            pageGrowth(growth.height(), spare.height())));
}

CPBDialog* CNumoraView::Page() const {
    return m_pSheet->Page();
}

QSize CNumoraView::FormSize() const {
    const int frame = 2 * frameWidth();
    return m_formSize + QSize(frame, frame);
}

void CNumoraView::OnPhoneData(std::span<uint8_t> block) {
    Page()->Session().OnReceivedBlock(block);
}

void CNumoraView::OnFilePrint() {
    emit printRequested();
}

}  // namespace numora

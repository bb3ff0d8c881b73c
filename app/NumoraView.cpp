#include "app/NumoraView.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <algorithm>

#include "ui/DialogUnits.h"
#include "ui/PBDialog.h"

namespace numora {

namespace {

// The room a tab widget of this size gives its page: what its tab bar and frame leave, as the
// style measures them when the widget places the page.
QSize PageRoom(const QTabWidget& sheet, QSize size) {
    QStyleOptionTabWidgetFrame option;
    option.initFrom(&sheet);
    option.rect = QRect(QPoint(), size);
    option.lineWidth = sheet.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &sheet);
    option.shape = QTabBar::RoundedNorth;
    option.tabBarSize = sheet.tabBar()->sizeHint();
    return sheet.style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, &sheet).size();
}

}  // namespace

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

    m_sheet = new QTabWidget(m_placeholder);
    m_sheet->setObjectName(QStringLiteral("propertySheet"));
    m_page = new CPBDialog(port, clock, profile);
    m_sheet->addTab(m_page, m_page->windowTitle());
    // The tab is greyed during long work, as the page is.
    connect(m_page, &CPBDialog::sheetEnable, m_sheet->tabBar(), &QTabBar::setEnabled);
    // The find field stands beside the tab, above the list, where the page's own layout has no
    // room for it.
    QLineEdit* find = m_page->FindField();
    m_sheet->setCornerWidget(find, Qt::TopRightCorner);
    find->show();
    m_sheet->setGeometry(0, 0, m_placeholder->width(), m_placeholder->height());

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
        (PageRoom(*m_sheet, m_placeholderSize) - m_page->TemplateSize()).expandedTo(QSize(0, 0));
    const QSize growth =
        (maximumViewportSize() - m_formSize).expandedTo(m_page->MinimumGrowth() - spare);
    m_form->resize(m_formSize + growth);
    m_placeholder->resize(m_placeholderSize + growth);
    m_sheet->resize(m_placeholder->size());
    const auto pageGrowth = [](int g, int spare) { return g >= 0 ? g : std::min(0, g + spare); };
    m_page->SetGrowth(QSize(pageGrowth(growth.width(), spare.width()),
                            pageGrowth(growth.height(), spare.height())));
}

QSize CNumoraView::FormSize() const {
    const int frame = 2 * frameWidth();
    return m_formSize + QSize(frame, frame);
}

}  // namespace numora

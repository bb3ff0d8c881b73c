#include "app/FormView.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <algorithm>

#include "ui/DialogUnits.h"
#include "ui/PhoneBookPage.h"

namespace numora {

namespace {

// The room a tab widget of this size gives its page: what its tab bar and frame leave, as the
// style measures them when the widget places the page.
QSize PageRoom(const QTabWidget& tabs, QSize size) {
    QStyleOptionTabWidgetFrame option;
    option.initFrom(&tabs);
    option.rect = QRect(QPoint(), size);
    option.lineWidth = tabs.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &tabs);
    option.shape = QTabBar::RoundedNorth;
    option.tabBarSize = tabs.tabBar()->sizeHint();
    return tabs.style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, &tabs).size();
}

}  // namespace

FormView::FormView(Port& port, Clock& clock, Profile& profile, QWidget* parent)
    : QScrollArea(parent), m_form(new QWidget) {
    setObjectName(QStringLiteral("formView"));
    const DialogUnits du(m_form->font());
    m_formSize = du.Size(kFormWidth, kFormHeight);
    m_form->resize(m_formSize);
    // The placeholder frame the tab widget fills.
    m_placeholder = new QFrame(m_form);
    m_placeholder->setFrameShape(QFrame::Box);
    m_placeholder->setFrameShadow(QFrame::Sunken);
    du.Place(m_placeholder, 1, 1, 393, 381);
    m_placeholderSize = m_placeholder->size();

    m_tabs = new QTabWidget(m_placeholder);
    m_tabs->setObjectName(QStringLiteral("propertySheet"));
    m_page = new PhoneBookPage(port, clock, profile);
    m_tabs->addTab(m_page, m_page->windowTitle());
    // The tab is greyed during long work, as the page is.
    connect(m_page, &PhoneBookPage::controlsEnabled, m_tabs->tabBar(), &QTabBar::setEnabled);
    // The find field stands beside the tab, above the list, where the page's own layout has no
    // room for it.
    QLineEdit* find = m_page->FindField();
    m_tabs->setCornerWidget(find, Qt::TopRightCorner);
    find->show();
    m_tabs->setGeometry(0, 0, m_placeholder->width(), m_placeholder->height());

    setWidget(m_form);
    setWidgetResizable(false);
}

void FormView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    FitForm();
}

// The form grows and shrinks with the view, its tabs and page with it. At the template size
// the tab widget leaves the page more room than the page's template needs; a smaller window takes
// that spare room first, and only then do the page's controls move in.
void FormView::FitForm() {
    const QSize spare =
        (PageRoom(*m_tabs, m_placeholderSize) - m_page->TemplateSize()).expandedTo(QSize(0, 0));
    const QSize growth =
        (maximumViewportSize() - m_formSize).expandedTo(m_page->MinimumGrowth() - spare);
    m_form->resize(m_formSize + growth);
    m_placeholder->resize(m_placeholderSize + growth);
    m_tabs->resize(m_placeholder->size());
    const auto pageGrowth = [](int g, int room) { return g >= 0 ? g : std::min(0, g + room); };
    m_page->SetGrowth(QSize(pageGrowth(growth.width(), spare.width()),
                            pageGrowth(growth.height(), spare.height())));
}

QSize FormView::FormSize() const {
    const int frame = 2 * frameWidth();
    return m_formSize + QSize(frame, frame);
}

}  // namespace numora

#include "ui/SpeedDialDialog.h"

#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <array>

#include "browse/ListText.h"
#include "ui/DialogUnits.h"
#include "ui/Modal.h"
#include "ui/PhoneBookPage.h"
#include "ui/ReportList.h"

namespace numora {

namespace {

constexpr int kColName = 1;
constexpr int kColKind = 2;
constexpr int kColDialNumber = 3;

constexpr std::array<const char*, kNumberKinds> kKindTexts = {"MOBILE", "HOME", "OFFICE", "PAGER",
                                                              "FAX"};

QString KindText(NumberKind kind) {
    return QString::fromLatin1(kKindTexts[IndexOf(kind)]);
}

}  // namespace

SpeedDialDialog::SpeedDialDialog(PhoneBookPage& page)
    : QDialog(&page), m_page(page), m_table(new ReportList(this)) {
    setWindowTitle(QStringLiteral("Speed Dial Setting"));
    setObjectName(QStringLiteral("speedDialDialog"));
    const DialogUnits du(font());
    setFixedSize(du.Size(235, 253));
    du.Place(m_table, 7, 7, 221, 214);
    m_table->setObjectName(QStringLiteral("speedDialTable"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    du.Place(ok, 54, 228, 50, 18);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    du.Place(cancel, 129, 228, 50, 18);
    connect(ok, &QPushButton::clicked, this, &SpeedDialDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &SpeedDialDialog::reject);

    m_table->InsertColumn(0, QStringLiteral("#"), 45);
    m_table->InsertColumn(1, QStringLiteral("Name"), 130);
    m_table->InsertColumn(2, QStringLiteral("Kind"), 65);
    m_table->InsertColumn(3, QStringLiteral("Dial Number"), 130);
    for (int row = 0; row < kSpeedDialSlots; ++row) {
        m_table->SetCell(row, 0, QString::asprintf("%2d ", row + kFirstSpeedDial));
    }
    m_table->SetCell(kSpeedDialSlots, 0, QStringLiteral("None"));
    m_table->ReportClicks();
    m_table->SetCell(kSpeedDialSlots, kColName, QStringLiteral("Not Use Speed Dial"));
    FitToColumnsAndScreen(ok, cancel);
    // Navigation keys say nothing here: only a click on a row counts as a choice.
    connect(m_table, &ReportList::rowClicked, this, [this] { m_rowClicked = true; });

    FillFromBook();
    OverlayPendingChoices();
}

// The table is as wide as its columns, the dial number's too; on a screen too short for the
// dialog the table gives up rows (it scrolls) so that OK and Cancel stay on the screen.
void SpeedDialDialog::FitToColumnsAndScreen(QWidget* ok, QWidget* cancel) {
    const int wider = std::max(0, m_table->SizeForRows(1).width() - m_table->width());
    int shorter = 0;
    if (const QScreen* s = screen()) {
        // Room for the title bar, two lines high in most window managers.
        const int room = s->availableGeometry().height() - 2 * fontMetrics().height();
        const int minTable = m_table->SizeForRows(3).height();
        shorter = std::clamp(height() - room, 0, std::max(0, m_table->height() - minTable));
    }
    setFixedSize(width() + wider, height() - shorter);
    m_table->resize(m_table->width() + wider, m_table->height() - shorter);
    for (QWidget* button : {ok, cancel})
        button->move(button->x() + wider / 2, button->y() - shorter);
}

void SpeedDialDialog::FillFromBook() {
    const PhoneBook& book = m_page.Book();
    for (int k = 0; k < kSpeedDialSlots; ++k) {
        const PBSpeedDial& sd = book.SpeedDial(k);
        PBEntry e;
        if (!book.GetEntry(sd.entry, e)) continue;
        m_table->SetCell(k, kColName, FromBytes(TextOf(e.name)));
        const auto kind = KindOfByte(sd.kind);
        if (!kind) continue;
        m_table->SetCell(k, kColKind, KindText(*kind));
        m_table->SetCell(k, kColDialNumber, FromBytes(NumberText(e.numbers[IndexOf(*kind)])));
    }
}

// The numbers the shown entry gives up show as free, and the ones it newly takes show the
// entry, before anything is saved.
void SpeedDialDialog::OverlayPendingChoices() {
    const ReportList* list = m_page.List();
    const int row = m_page.CurrentId();
    const QString none = FromBytes(kNoSpeedDial);
    auto tableRow = [](const QString& text) { return text.toInt() - kFirstSpeedDial; };
    for (const NumberKind kind : kAllNumberKinds) {
        const QString box = m_page.SpeedDialBoxText(kind);
        const QString saved = list->CellText(row, col::SpeedDial(kind));
        if (box.isEmpty() || box.compare(saved, Qt::CaseInsensitive) == 0 || saved == none) {
            continue;
        }
        const int r = tableRow(saved);
        if (r < 0 || r >= kSpeedDialSlots) continue;
        m_table->SetCell(r, kColName, QString());
        m_table->SetCell(r, kColKind, QString());
        // The pager number's old slot is the one place the table names a free slot.
        m_table->SetCell(r, kColDialNumber,
                         kind == NumberKind::Pager ? QStringLiteral("Unassigned") : QString());
    }
    for (const NumberKind kind : kAllNumberKinds) {
        const QString box = m_page.SpeedDialBoxText(kind);
        const QString saved = list->CellText(row, col::SpeedDial(kind));
        if (box.isEmpty() || box.compare(saved, Qt::CaseInsensitive) == 0 ||
            box.compare(none, Qt::CaseInsensitive) == 0) {
            continue;
        }
        const int r = tableRow(box);
        if (r < 0 || r >= kSpeedDialSlots) continue;
        m_table->SetCell(r, kColName, m_page.NameBoxText());
        m_table->SetCell(r, kColKind, KindText(kind));
        m_table->SetCell(r, kColDialNumber, m_page.NumberBoxText(kind));
    }
}

void SpeedDialDialog::accept() {
    // OK without a click on a row since the dialog opened is Cancel.
    const std::optional<int> row = m_table->SelectedRow();
    if (!m_rowClicked || !row) {
        reject();
        return;
    }
    m_dialNumber.reset();
    if (*row < kSpeedDialSlots) m_dialNumber = *row + kFirstSpeedDial;
    QDialog::accept();
}

}  // namespace numora

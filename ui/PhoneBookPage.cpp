#include "ui/PhoneBookPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <algorithm>

#include "book/MediaLists.h"
#include "browse/BookFigures.h"
#include "browse/ListText.h"
#include "history/BookHistory.h"
#include "sync/HandsetFiles.h"
#include "sync/WriteGuard.h"
#include "ui/EntryRules.h"
#include "ui/FieldLook.h"
#include "ui/GroupDialogs.h"
#include "ui/Modal.h"
#include "ui/PortSearchDialog.h"
#include "ui/QtFileAccess.h"
#include "ui/ReportList.h"
#include "ui/SpeedDialDialog.h"

namespace numora {

namespace {

constexpr int kSpeedDialBoxLen = 2;
constexpr std::string_view kFindTip =
    "Finds entries by name, number, e-mail, wireless address or memo";

// A file already chosen, read and written as the page's files are.
class ChosenFile : public FileAccess {
public:
    ChosenFile(FileAccess& files, std::string path) : m_files(files), m_path(std::move(path)) {}
    std::optional<std::string> ChooseOpenPath() override { return m_path; }
    std::optional<std::string> ChooseSavePath() override { return m_path; }
    ReadResult ReadAll(const std::string& path, std::vector<uint8_t>& bytes) override {
        return m_files.ReadAll(path, bytes);
    }
    bool Save(const std::string& path, std::span<const uint8_t> bytes,
              FileReaders readers) override {
        return m_files.Save(path, bytes, readers);
    }

private:
    FileAccess& m_files;
    std::string m_path;
};

struct NumberLayout {
    const char* name;     // object name prefix
    const char* caption;  // label
    int editY;
    int boxY;
    int selectX;
    int selectY;
};

// Positions of the five numbers' controls, in dialog units.
constexpr std::array<NumberLayout, kNumberKinds> kNumberLayouts{{
    {"mobile", "Mobile", 45, 58, 337, 58},
    {"home", "Home", 71, 85, 337, 85},
    {"office", "Office", 99, 113, 337, 113},
    {"pager", "Pager", 127, 142, 338, 141},
    {"fax", "Fax", 157, 171, 338, 171},
}};

}  // namespace

PhoneBookPage::PhoneBookPage(Port& port, Clock& clock, Profile& profile, QWidget* parent)
    : QWidget(parent),
      m_session(m_book, *this, port, clock, profile),
      m_units(font()),
      m_programFolder(QCoreApplication::applicationDirPath()) {
    setObjectName(QStringLiteral("phoneBookPage"));
    setWindowTitle(QStringLiteral("Phone Book"));
    m_book.SetMessageSink(this);
    m_ownFiles = std::make_unique<QtFileAccess>(this);
    m_files = m_ownFiles.get();
    BuildControls();
    BuildList();
    ClearDetail();
    m_searchDelay.setSingleShot(true);
    m_searchDelay.setInterval(kSearchWindowDelayMs);
    connect(&m_searchDelay, &QTimer::timeout, this, [this] {
        if (!m_session.Engine().Running()) return;
        OpenSearchDialog();
        m_searchDialog->SetStatus(m_portStatus.first, m_portStatus.second);
    });
    m_session.Engine().SetOnRunEnded([this](RunOutcome outcome) {
        const bool reading = m_session.Engine().IsReading();
        if (outcome == RunOutcome::ReadCompleted) m_incompleteRead = m_damagedFile = false;
        const bool ended = outcome == RunOutcome::Failed || outcome == RunOutcome::Cancelled;
        // A read that took nothing (no handset found, a port refused, the password refused)
        // leaves the window's book as it was.
        const bool nothingRead = reading && ended && !m_session.Engine().AnythingRead();
        if (nothingRead && m_beforeRead) m_book = *m_beforeRead;
        if (reading) m_beforeRead.reset();
        if (ended) {
            // A search that never found the handset leaves no window behind, and a read that
            // broke off shows what the book holds now instead of the interim form.
            CloseSearchDialog();
            if (reading) {
                if (!nothingRead) m_incompleteRead = true;
                ShowBook(BookChange::Everything);
            }
        }
        if (outcome == RunOutcome::ReadCompleted) KeepBook(history::kRead);
        if (outcome == RunOutcome::WriteCompleted) KeepBook(history::kWritten);
        // The book a write left half on the phone is kept, to be written again.
        const bool phoneBroken = m_session.Engine().PhoneBookBroken();
        if (phoneBroken) KeepBook(history::kWriteStopped);
        // After the connection message, one more says what the book now lacks.
        if (outcome == RunOutcome::Failed) {
            if (reading && !nothingRead) {
                MessageBox(kReadIncomplete);
            } else if (phoneBroken) {
                MessageBox(WriteStoppedMessage(m_session.Engine().Holds()));
            }
        }
        emit runEnded(outcome);
    });
}

PhoneBookPage::~PhoneBookPage() {
    m_session.Engine().SetOnRunEnded({});
    m_book.SetMessageSink(nullptr);
}

// Controls go into the page, or into the panel's scrolling fields, at their template places.
void PhoneBookPage::Put(QWidget* widget, const QRect& rect) const {
    widget->setGeometry(rect.translated(-m_origin));
}

QLabel* PhoneBookPage::Label(const QString& text, int x, int y, int w, int h) {
    auto* label = new QLabel(text, m_into);
    m_units.PlaceLabel(label, x, y, w, h);
    label->move(label->pos() - m_origin);
    return label;
}

QLineEdit* PhoneBookPage::Edit(const char* name, int x, int y, int w, int h, int maxLength) {
    auto* edit = new QLineEdit(m_into);
    edit->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0) edit->setMaxLength(maxLength);
    Put(edit, m_units.Rect(x, y, w, h));
    return edit;
}

QComboBox* PhoneBookPage::Combo(const char* name, int x, int y, int w) {
    auto* combo = new QComboBox(m_into);
    combo->setObjectName(QString::fromLatin1(name));
    Put(combo, QRect(m_units.X(x), m_units.Y(y), m_units.X(w), combo->sizeHint().height()));
    return combo;
}

QPushButton* PhoneBookPage::Button(const char* name, const QString& text, int x, int y, int w,
                                   int h) {
    auto* button = new QPushButton(text, m_into);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    Put(button, m_units.Rect(x, y, w, h));
    return button;
}

void PhoneBookPage::BuildControls() {
    resize(m_units.Size(kPageWidth, kPageHeight));

    m_panelFrame = new QFrame(this);
    m_panelFrame->setFrameShape(QFrame::Box);
    m_panelFrame->setFrameShadow(QFrame::Sunken);

    m_list = new ReportList(this);
    m_list->setObjectName(QStringLiteral("bookList"));

    Label(QStringLiteral("Group :"), 8, 11, 55, 8);
    m_filterCombo = Combo("filterCombo", 65, 9, 80);
    m_editGroup = Button("editGroupButton", QStringLiteral("Edit Group"), 153, 8, 60, 16);
    Label(QStringLiteral("SMS Group :"), 8, 30, 55, 8);
    m_smsGroupCombo = Combo("smsGroupCombo", 65, 28, 79);
    m_editSmsGroup =
        Button("editSmsGroupButton", QStringLiteral("Edit Msg. Group"), 153, 27, 60, 17);

    // The panel's fields scroll when the page is shorter than the template; its frame stays.
    m_panelScroll = new QScrollArea(this);
    m_panelScroll->setObjectName(QStringLiteral("panelScroll"));
    m_panelScroll->setFrameShape(QFrame::NoFrame);
    m_panelScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_panelScroll->viewport()->setAutoFillBackground(false);
    m_panel = new QWidget;
    m_panel->setObjectName(QStringLiteral("panelFields"));
    m_panel->resize(PanelFieldsSize(m_units));
    m_panelScroll->setWidget(m_panel);
    // The frame shows through around the fields.
    m_panel->setAutoFillBackground(false);
    m_into = m_panel;
    m_origin = QPoint(m_units.X(kPanelLeft), 0);

    Label(QStringLiteral("ID"), 228, 5, 24, 8);
    m_id = Edit("idEdit", 254, 3, 114, 12, 0);
    SetFieldUse(m_id, FieldUse::Display);
    Label(QStringLiteral("Name"), 228, 18, 24, 8);
    m_name = Edit("nameEdit", 254, 16, 114, 12, kNameLen);
    Label(QStringLiteral("Group"), 228, 32, 24, 8);
    m_groupCombo = Combo("groupCombo", 254, 30, 114);

    for (int k = 0; k < kNumberKinds; ++k) {
        const NumberLayout& at = kNumberLayouts[static_cast<std::size_t>(k)];
        const std::string prefix = at.name;
        NumberControls& n = m_numbers[static_cast<std::size_t>(k)];
        Label(QString::fromLatin1(at.caption), 228, at.editY + 2, 25, 8);
        n.number = Edit((prefix + "Edit").c_str(), 254, at.editY, 114, 12, kNumberLen);
        Label(QStringLiteral("Speed Dial"), 275, at.boxY + 2, 42, 8);
        n.speedDial = Edit((prefix + "SpeedDial").c_str(), 319, at.boxY, 15, 12, 0);
        SetFieldUse(n.speedDial, FieldUse::Display);
        n.speedDial->setAlignment(Qt::AlignCenter);
        n.select = Button((prefix + "Select").c_str(), QStringLiteral("Select"), at.selectX,
                          at.selectY, 30, 13);
        connect(n.number, &QLineEdit::textChanged, this, [this, k] { OnNumberChanged(k); });
        connect(n.select, &QPushButton::clicked, this, [this, k] { OnSelectSpeedDial(KindAt(k)); });
    }

    Label(QStringLiteral("E-mail"), 228, 189, 25, 8);
    m_email = Edit("emailEdit", 254, 187, 72, 13, kTextLen);
    m_secret = new QCheckBox(QStringLiteral("Secret"), m_into);
    m_secret->setObjectName(QStringLiteral("secretCheck"));
    Put(m_secret, m_units.Rect(331, 197, 37, 10));
    Label(QStringLiteral("Wireless Address"), 229, 203, 98, 8);
    m_wireless = Edit("wirelessEdit", 229, 212, 140, 16, kTextLen);
    Label(QStringLiteral("Memo"), 228, 235, 24, 8);
    m_memo = Edit("memoEdit", 253, 232, 116, 14, kTextLen);
    Label(QStringLiteral("Ringer"), 228, 252, 46, 8);
    for (QLineEdit* text : TextFields())
        AcceptHandsetText(text);
    m_ringer = Combo("ringerCombo", 275, 250, 96);
    Label(QStringLiteral("Msg. Ringer"), 228, 269, 46, 8);
    m_msgRinger = Combo("msgRingerCombo", 275, 267, 96);
    Label(QStringLiteral("Graphic"), 228, 287, 46, 8);
    m_graphic = Combo("graphicCombo", 275, 285, 96);
    m_into = this;
    m_origin = QPoint();
    // The rest is placed by LayOut.
    m_delete = Button("deleteButton", QStringLiteral("Delete"), 0, 0, 0, 0);
    m_reset = Button("resetButton", QStringLiteral("Reset"), 0, 0, 0, 0);
    m_save = Button("saveButton", QStringLiteral("Save"), 0, 0, 0, 0);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_read = Button("readButton", QStringLiteral("Read from Phone"), 0, 0, 0, 0);
    m_write = Button("writeButton", QStringLiteral("Write to Phone"), 0, 0, 0, 0);
    m_fileOpen = Button("fileOpenButton", QStringLiteral("File Open"), 0, 0, 0, 0);
    m_fileSave = Button("fileSaveButton", QStringLiteral("File Save"), 0, 0, 0, 0);

    m_metrics =
        PageMetrics{m_units, style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this),
                    m_panelFrame->frameWidth(), m_filterCombo->height()};
    LayOut();

    connect(m_list, &ReportList::rowSelected, this, &PhoneBookPage::OnRowSelected);
    connect(m_filterCombo, &QComboBox::activated, this, &PhoneBookPage::OnFilterChanged);
    connect(m_editGroup, &QPushButton::clicked, this, &PhoneBookPage::OnEditGroup);
    connect(m_editSmsGroup, &QPushButton::clicked, this, &PhoneBookPage::OnEditSmsGroup);
    connect(m_delete, &QPushButton::clicked, this, &PhoneBookPage::OnDelete);
    connect(m_reset, &QPushButton::clicked, this, &PhoneBookPage::OnReset);
    connect(m_save, &QPushButton::clicked, this, &PhoneBookPage::OnSave);
    connect(m_read, &QPushButton::clicked, this, &PhoneBookPage::OnReadFromPhone);
    connect(m_write, &QPushButton::clicked, this, &PhoneBookPage::OnWriteToPhone);
    connect(m_fileOpen, &QPushButton::clicked, this, &PhoneBookPage::OnFileOpen);
    connect(m_fileSave, &QPushButton::clicked, this, &PhoneBookPage::OnFileSave);

    // Enter in the panel's fields saves; Delete in the list deletes.
    for (QWidget* w : std::initializer_list<QWidget*>{m_name, m_groupCombo, m_email, m_wireless,
                                                      m_memo, m_secret}) {
        w->installEventFilter(this);
    }
    for (const NumberControls& n : m_numbers)
        n.number->installEventFilter(this);
    m_list->installEventFilter(this);
}

void PhoneBookPage::SetGrowth(QSize growth) {
    if (growth == m_growth) return;
    m_growth = growth;
    LayOut();
}

void PhoneBookPage::LayOut() {
    const PageGeometry p = LayOutPage(m_growth, m_metrics);
    m_filterCombo->setGeometry(p.filterCombo);
    m_editGroup->setGeometry(p.editGroup);
    m_smsGroupCombo->setGeometry(p.smsCombo);
    m_editSmsGroup->setGeometry(p.editSmsGroup);
    m_list->setGeometry(p.list);
    m_panelFrame->setGeometry(p.panelFrame);
    m_panelScroll->setVerticalScrollBarPolicy(p.panelScrolls ? Qt::ScrollBarAsNeeded
                                                             : Qt::ScrollBarAlwaysOff);
    m_panelScroll->setGeometry(p.panelView);
    const std::array<QPushButton*, 3> panelButtons = {m_delete, m_reset, m_save};
    for (std::size_t k = 0; k < panelButtons.size(); ++k)
        panelButtons[k]->setGeometry(p.panelButtons[k]);
    m_progress->setGeometry(p.progress);
    const std::array<QPushButton*, 4> commands = {m_read, m_write, m_fileOpen, m_fileSave};
    for (std::size_t k = 0; k < commands.size(); ++k)
        commands[k]->setGeometry(p.commands[k]);
}

void PhoneBookPage::BuildList() {
    const auto& columns = kListColumnTable;
    for (int c = 0; c < kListColumns; ++c) {
        const ListColumn& column = columns[static_cast<std::size_t>(c)];
        m_list->InsertColumn(c, FromBytes(column.heading), column.width);
    }
    m_list->BeginUpdate();
    for (int i = 0; i < kEntrySlots; ++i)
        m_list->SetCell(i, 0, FromBytes(SlotLabel(i)));
    m_list->EndUpdate();
    m_list->ReportSelections();
    // A click on a heading sorts the view by that column.
    QHeaderView* headings = m_list->horizontalHeader();
    headings->setSectionsClickable(true);
    connect(headings, &QHeaderView::sectionClicked, this,
            [this](int column) { SortList(NextSort(m_sort, column)); });

    // The window shows the find field beside the page's tab.
    m_findField = new QLineEdit(this);
    m_findField->setObjectName(QStringLiteral("findField"));
    m_findField->setPlaceholderText(QStringLiteral("Find (Ctrl+F)"));
    m_findField->setToolTip(FromBytes(kFindTip));
    m_findField->setClearButtonEnabled(true);
    m_findField->hide();
    AcceptHandsetText(m_findField);
    m_findField->installEventFilter(this);
    connect(m_findField, &QLineEdit::textChanged, this, [this] { ApplyView(false); });
}

void PhoneBookPage::StartUp(const PortTable& discovered) {
    OpenSearchDialog();
    m_session.Search().ChooseFirstPort(discovered);
    OnReadFromPhone();
}

void PhoneBookPage::OpenSearchDialog() {
    m_searchDelay.stop();
    if (!m_searchDialog.isNull()) return;
    m_searchDialog = new PortSearchDialog(this);
    m_searchDialog->setAttribute(Qt::WA_DeleteOnClose);
    // Closing the window is the way out of a search that finds nothing.
    connect(m_searchDialog, &PortSearchDialog::cancelled, this,
            [this] { m_session.Engine().Cancel(); });
    m_searchDialog->show();
}

bool PhoneBookPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    // Escape ends a search; Enter or Down goes from the search to what it found.
    if (watched == m_findField) {
        if (key == Qt::Key_Escape) {
            ClearFind();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Down) {
            m_list->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
        return false;
    }
    // The keys stand for their buttons, and do nothing while the button is disabled.
    if (watched == m_list) {
        if (key == Qt::Key_Delete && m_delete->isEnabled()) {
            OnDelete();
            return true;
        }
        if (key == Qt::Key_Escape && !m_findField->text().isEmpty()) {
            ClearFind();
            return true;
        }
        return false;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_save->isEnabled()) {
        OnSave();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// The page seam

void PhoneBookPage::MessageBox(std::string_view text) {
    // The file commands say only that a read or save failed; which file and why go under it.
    if (text == kFileOpenFailed || text == kFileSaveFailed) {
        if (const auto failure = m_files->TakeFailure()) {
            ShowFileFailure(window(), text, failure->first, failure->second);
            return;
        }
    }
    ShowMessage(window(), text);
}

void PhoneBookPage::SetProgressRange(int lo, int hi) {
    m_progress->setRange(lo, std::max(lo, hi));
    m_progress->setValue(lo);
}

void PhoneBookPage::SetProgressPos(int pos) {
    // The bar holds its position inside its range, as the engine reads it back.
    m_progress->setValue(std::clamp(pos, m_progress->minimum(), m_progress->maximum()));
}

int PhoneBookPage::ProgressPos() const {
    return m_progress->value();
}

void PhoneBookPage::EnableControls(bool enable) {
    m_locked = !enable;
    emit controlsEnabled(enable);
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_filterCombo, m_smsGroupCombo, m_editSmsGroup, m_editGroup, m_list, m_findField,
             m_read, m_write, m_fileOpen, m_fileSave}) {
        w->setEnabled(enable);
    }
    for (QLineEdit* text : TextFields())
        text->setEnabled(enable);
    for (const NumberControls& n : m_numbers)
        n.number->setEnabled(enable);
    // The group view keeps its read-only panel.
    const bool editable = enable && !m_name->isReadOnly();
    for (QWidget* w : EntryChoices())
        w->setEnabled(editable);
    for (const NumberControls& n : m_numbers)
        n.select->setEnabled(false);
    if (editable && FilterShowsAll()) {
        for (const NumberControls& n : m_numbers) {
            if (!n.number->text().isEmpty()) n.select->setEnabled(true);
        }
    }
}

void PhoneBookPage::ClearForm() {
    // While a read or a file load runs, the group combos hold only "Etc." and "All".
    for (QComboBox* combo : {m_filterCombo, m_groupCombo}) {
        combo->clear();
        combo->addItem(FromBytes(kEtcName), int{kEtcGroup});
        combo->addItem(QStringLiteral("All"), int{kAllGroup});
        combo->setCurrentIndex(1);
    }
    m_smsGroupCombo->clear();
    BlankListRows();
    ClearDetail();
}

void PhoneBookPage::FillGroupCombos() {
    m_filterCombo->clear();
    m_groupCombo->clear();
    // "All" comes first even when the book has no group 0, so the form always opens on the
    // whole book.
    m_filterCombo->addItem(QStringLiteral("All"), int{kAllGroup});
    for (int g = 1; g < kGroupSlots; ++g) {
        PBGroup group;
        if (!m_book.GetGroup(g, group)) continue;
        const QString name = FromBytes(TextOf(group.name));
        m_filterCombo->addItem(name, g);
        m_groupCombo->addItem(name, g);
    }
    m_filterCombo->setCurrentIndex(0);
    m_groupCombo->setCurrentIndex(-1);
}

void PhoneBookPage::FillSmsGroupCombo() {
    m_smsGroupCombo->clear();
    for (int k = 0; k < kSmsGroupSlots; ++k) {
        PBSmsGroup s;
        if (m_book.GetSmsGroup(k, s)) m_smsGroupCombo->addItem(FromBytes(TextOf(s.name)), k);
    }
    m_smsGroupCombo->setCurrentIndex(m_smsGroupCombo->count() - 1);
}

void PhoneBookPage::FillRow(int slot) {
    m_list->SetRowTexts(slot, EntryRowTexts(m_book, slot));
}

void PhoneBookPage::RefreshList() {
    m_list->BeginUpdate();
    BlankListRows();
    const int g = FilterGroup();
    if (g == kAllGroup) {
        SetGroupViewMode(false);
        for (int i = 0; i < kEntrySlots; ++i) {
            if (m_book.IsValidEntry(i)) FillRow(i);
        }
    } else {
        SetGroupViewMode(true);
        // The highlight stays on a row the filter shows: when its row is blanked it moves to the
        // group's first slot, or goes when the group has no members.
        const std::optional<int> selected = m_list->SelectedRow();
        int first = kEntrySlots;
        bool selectedShown = false;
        m_book.ForEachMember(g, [&](uint16_t slot) {
            FillRow(slot);
            first = std::min<int>(first, slot);
            selectedShown = selectedShown || slot == selected;
        });
        if (!selectedShown) {
            if (first < kEntrySlots) {
                m_list->SelectRow(first);
            } else {
                m_list->ClearSelectedRow();
            }
        }
    }
    m_list->EndUpdate();
    m_searchIndexed = false;
    ApplyView(true);
    ShowSelectedEntry();
}

void PhoneBookPage::BlankListRows() {
    m_list->BeginUpdate();
    for (int row = 0; row < m_list->RowCount(); ++row) {
        for (int c = 1; c < kListColumns; ++c)
            m_list->SetCell(row, c, QString());
    }
    m_list->EndUpdate();
}

void PhoneBookPage::ClearDetail() {
    m_id->setText(QStringLiteral("0"));
    for (QLineEdit* text : TextFields())
        text->clear();
    for (int k = 0; k < kNumberKinds; ++k) {
        m_numbers[static_cast<std::size_t>(k)].number->clear();
        OnNumberChanged(k);
    }
    m_groupCombo->setCurrentIndex(-1);
    ResetMediaCombos();
}

void PhoneBookPage::ResetMediaCombos() {
    const std::pair<QComboBox*, MediaList> lists[] = {{m_ringer, MediaList::Ringer},
                                                      {m_msgRinger, MediaList::MsgRinger},
                                                      {m_graphic, MediaList::Graphic}};
    for (const auto& [combo, list] : lists) {
        combo->clear();
        for (const MediaItem& item : FixedItems(list))
            combo->addItem(FromBytes(item.text));
        combo->setCurrentIndex(-1);
    }
}

void PhoneBookPage::ShowSelectedEntry() {
    // With nothing selected the panel rests on slot 0.
    const int r = m_list->SelectedRow().value_or(0);
    auto cell = [this, r](int c, int n) { return m_list->CellText(r, c).left(n); };
    m_id->setText(QString::number(r));
    m_name->setText(cell(col::kName, kNameLen));

    for (int k = 0; k < kNumberKinds; ++k) {
        const NumberControls& n = m_numbers[static_cast<std::size_t>(k)];
        n.number->setText(cell(col::Number(k), kNumberLen));
        n.speedDial->setText(cell(col::SpeedDial(k), kSpeedDialBoxLen));
        OnNumberChanged(k);
    }
    m_email->setText(cell(col::kEmail, kTextLen));
    m_wireless->setText(cell(col::kWireless, kTextLen));
    m_memo->setText(cell(col::kMemo, kTextLen));
    m_secret->setChecked(m_list->CellText(r, col::kSecret).startsWith(QLatin1Char('Y')));

    PBEntry e;
    const bool used = m_book.GetEntry(r, e);
    // The group by its slot: names need not differ, and one may begin another. An empty slot,
    // or an entry whose group has no name, is filed under "Etc.".
    PBGroup group;
    const int groupSlot = used && m_book.GetGroup(e.group, group) ? e.group : kEtcGroup;
    m_groupCombo->setCurrentIndex(m_groupCombo->findData(groupSlot));
    m_ringer->setCurrentIndex(used ? ItemForCode(MediaList::Ringer, e.ringer) : 0);
    m_msgRinger->setCurrentIndex(used ? ItemForCode(MediaList::MsgRinger, e.msgRinger) : 0);
    m_graphic->setCurrentIndex(0);

    if (m_filterCombo->currentIndex() != 0) {
        for (const NumberControls& n : m_numbers)
            n.select->setEnabled(false);
    }
}

void PhoneBookPage::SelectFirstFilterItem() {
    if (m_filterCombo->count() > 0) m_filterCombo->setCurrentIndex(0);
}

void PhoneBookPage::Repaint() {
    window()->repaint();
}

void PhoneBookPage::PortStatus(LinkState state, int port) {
    // A handset that does not answer a read or write at once gets the search window too, so the
    // search shows where it is and can be given up.
    if (m_searchDialog.isNull() && !m_searchDelay.isActive()) m_searchDelay.start();
    m_portStatus = {state, port};
    if (!m_searchDialog.isNull()) m_searchDialog->SetStatus(state, port);
}

void PhoneBookPage::CloseSearchDialog() {
    m_searchDelay.stop();
    if (!m_searchDialog.isNull()) m_searchDialog->Finish();
}

void PhoneBookPage::DeleteWorkFile() {
    QFile::remove(QDir(m_programFolder).filePath(FromBytes(handset::kWorkFile)));
}

std::array<QLineEdit*, 4> PhoneBookPage::TextFields() const {
    return {m_name, m_email, m_wireless, m_memo};
}

std::array<QWidget*, 8> PhoneBookPage::EntryChoices() const {
    return {m_groupCombo, m_secret, m_delete, m_reset, m_save, m_ringer, m_msgRinger, m_graphic};
}

void PhoneBookPage::SetGroupViewMode(bool on) {
    const FieldUse use = on ? FieldUse::ReadOnly : FieldUse::Editable;
    for (QLineEdit* text : TextFields())
        SetFieldUse(text, use);
    for (const NumberControls& n : m_numbers)
        SetFieldUse(n.number, use);
    // Leaving the group view while the page is locked leaves the unlocking to EnableControls.
    if (on || !m_locked) {
        for (QWidget* w : EntryChoices())
            w->setEnabled(!on);
    }
}

// ---------------------------------------------------------------------------------------------
// The panel

QString PhoneBookPage::SpeedDialBoxText(NumberKind kind) const {
    return m_numbers[IndexOf(kind)].speedDial->text();
}

QString PhoneBookPage::NumberBoxText(NumberKind kind) const {
    return m_numbers[IndexOf(kind)].number->text();
}

QString PhoneBookPage::NameBoxText() const {
    return m_name->text();
}

int PhoneBookPage::CurrentId() const {
    return m_id->text().toInt();
}

int PhoneBookPage::FilterGroup() const {
    if (m_filterCombo->currentIndex() < 0) return kAllGroup;
    return m_filterCombo->currentData().toInt();
}

bool PhoneBookPage::FilterShowsAll() const {
    return m_filterCombo->currentIndex() <= 0;
}

void PhoneBookPage::OnRowSelected() {
    if (m_list->SelectedRow() != CurrentId()) ShowSelectedEntry();
}

void PhoneBookPage::OnFilterChanged() {
    EnableControls(false);
    RefreshList();
    EnableControls(true);
}

void PhoneBookPage::OnNumberChanged(int kindIndex) {
    const NumberControls& n = m_numbers[static_cast<std::size_t>(kindIndex)];
    const QString text = n.number->text();
    const CleanedNumber clean = CleanNumber(text, n.number->cursorPosition());
    if (clean.text != text) {
        const QSignalBlocker quiet(n.number);
        n.number->setText(clean.text);
        n.number->setCursorPosition(clean.caret);
    }
    if (clean.text.isEmpty()) {
        n.select->setEnabled(false);
        n.speedDial->setText(FromBytes(kNoSpeedDial));
    } else if (!m_locked) {
        n.select->setEnabled(true);
    }
}

void PhoneBookPage::OnSave() {
    const int slot = CurrentId();
    std::optional<PBEntry> before;
    if (PBEntry stored; m_book.GetEntry(slot, stored)) before = stored;
    const PBEntry e = TypedEntry(slot, before);
    if (!HasContent(e)) {
        MessageBox(kInsufficientInformation);
        return;
    }
    if (slot < 0 || slot >= kEntrySlots) return;
    for (int k = 0; k < kNumberKinds; ++k) {
        QLineEdit* number = m_numbers[static_cast<std::size_t>(k)].number;
        if (IsProhibitedNumber(number->text())) {
            number->setFocus();
            MessageBox(ProhibitMessage(k));
            return;
        }
    }
    m_book.SetEntry(e);
    ApplySpeedDials(slot);
    RefreshList();
}

PBEntry PhoneBookPage::TypedEntry(int slot, const std::optional<PBEntry>& before) const {
    PBEntry e;
    e.index = static_cast<uint16_t>(slot);
    SetText(e.name, ToBytes(m_name->text()));
    // No group chosen: the book keeps the entry in its group ("Etc." for a new one).
    e.group = m_groupCombo->currentIndex() >= 0
                  ? static_cast<uint8_t>(m_groupCombo->currentData().toInt())
                  : kNone8;
    for (int k = 0; k < kNumberKinds; ++k) {
        SetNumber(e.numbers[static_cast<std::size_t>(k)],
                  ToBytes(m_numbers[static_cast<std::size_t>(k)].number->text()));
    }
    SetText(e.email, ToBytes(m_email->text()));
    SetText(e.wireless, ToBytes(m_wireless->text()));
    SetText(e.memo, ToBytes(m_memo->text()));
    e.secret = m_secret->isChecked() ? 1 : 0;
    // A list without a choice keeps the entry's code as it is.
    auto code = [](QComboBox* combo, MediaList list, uint16_t current) {
        return CodeForItem(list, combo->currentIndex()).value_or(current);
    };
    e.ringer = code(m_ringer, MediaList::Ringer, before ? before->ringer : kNone16);
    e.msgRinger = code(m_msgRinger, MediaList::MsgRinger, before ? before->msgRinger : kNone16);
    e.picture = code(m_graphic, MediaList::Graphic, before ? before->picture : kNone16);
    return e;
}

// The list row still shows the speed dials as stored; what differs in the panel is released
// first, then assigned, so a number one kind gives up can go to another.
void PhoneBookPage::ApplySpeedDials(int slot) {
    const QString none = FromBytes(kNoSpeedDial);
    std::array<QString, kNumberKinds> boxes;
    std::array<QString, kNumberKinds> saved;
    for (const NumberKind kind : kAllNumberKinds) {
        boxes[IndexOf(kind)] = SpeedDialBoxText(kind);
        saved[IndexOf(kind)] = m_list->CellText(slot, col::SpeedDial(kind));
    }
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        if (boxes[k] != saved[k] && saved[k] != none) m_book.ClearSpeedDial(saved[k].toInt());
    }
    for (const NumberKind kind : kAllNumberKinds) {
        const std::size_t k = IndexOf(kind);
        if (boxes[k] != saved[k] && boxes[k] != none) {
            m_book.SetSpeedDial(boxes[k].toInt(), static_cast<uint16_t>(slot), kind);
        }
    }
}

void PhoneBookPage::OnReset() {
    ShowSelectedEntry();
}

void PhoneBookPage::OnDelete() {
    // Only a row the user chose is deleted, never the panel's resting place.
    const std::optional<int> slot = m_list->SelectedRow();
    if (!slot) return;
    m_book.DeleteEntry(*slot);
    m_list->BeginUpdate();
    for (int c = 1; c < kListColumns; ++c)
        m_list->SetCell(*slot, c, QString());
    m_list->EndUpdate();
    m_searchIndexed = false;
    ApplyView(true);
    ShowSelectedEntry();
}

void PhoneBookPage::OnSelectSpeedDial(NumberKind kind) {
    SpeedDialDialog dialog(*this);
    if (RunModal(dialog) != QDialog::Accepted) return;
    const std::optional<int> n = dialog.DialNumber();
    QLineEdit* box = m_numbers[IndexOf(kind)].speedDial;
    if (!n) {
        box->setText(FromBytes(kNoSpeedDial));
        return;
    }
    const QString text = QString::number(*n);
    box->setText(text);
    // One number serves one kind of the entry.
    for (const NumberKind other : kAllNumberKinds) {
        QLineEdit* otherBox = m_numbers[IndexOf(other)].speedDial;
        if (other != kind && otherBox->text() == text) otherBox->setText(FromBytes(kNoSpeedDial));
    }
}

void PhoneBookPage::OnEditGroup() {
    GroupListDialog dialog(GroupKind::Group, m_book, this);
    RunModal(dialog);
    ShowBook(BookChange::Everything);
}

void PhoneBookPage::OnEditSmsGroup() {
    GroupListDialog dialog(GroupKind::SmsGroup, m_book, this);
    RunModal(dialog);
    FillSmsGroupCombo();
}

// ---------------------------------------------------------------------------------------------
// Long work

void PhoneBookPage::OnReadFromPhone() {
    if (!m_session.Engine().Running()) {
        KeepEdits(history::kBeforeRead);
        m_beforeRead = m_book;
    }
    m_session.Engine().OnReadFromPhone();
}

void PhoneBookPage::OnWriteToPhone() {
    if (!WriteIsWanted()) return;
    m_session.Engine().OnWriteToPhone();
}

// A write replaces the phone's whole book: one that would lose much is asked about first. A
// book from a read that broke off or from a damaged file would replace it with part of one; a
// book without entries, or without many of those the phone held when last read or written,
// would take them away.
bool PhoneBookPage::WriteIsWanted() {
    if (m_incompleteRead && !AskQuestion(window(), kWriteIncompleteBook)) return false;
    if (m_damagedFile && !AskQuestion(window(), kWriteDamagedBook)) return false;
    PhoneBook held;
    const bool known = m_history != nullptr && m_history->NewestFromPhone(held).has_value();
    const WriteRisk risk = AssessWrite(m_book, known ? &held : nullptr);
    if (risk.kind == WriteRisk::Kind::None) return true;
    return AskQuestion(window(), WriteRiskText(risk) + std::string(kWriteAnyway));
}

void PhoneBookPage::OnFileOpen() {
    OpenBook(*m_files);
}

void PhoneBookPage::OpenBookFile(const QString& path) {
    ChosenFile chosen(*m_files, path.toStdString());
    OpenBook(chosen);
}

void PhoneBookPage::OpenBook(FileAccess& files) {
    KeepEdits(history::kBeforeOpen);
    if (const auto report = FileOpen(m_book, *this, files)) {
        KeepBook(history::kOpened);
        m_incompleteRead = false;
        m_damagedFile = report->Damaged();
    }
}

void PhoneBookPage::OnFileSave() {
    if (FileSave(m_book, *this, *m_files)) {
        KeepBook(history::kSaved);
    }
}

// ---------------------------------------------------------------------------------------------
// Find and sort

void PhoneBookPage::SetHomeRegion(const std::string& region, const QString& profileFile) {
    m_search = BookSearch(region);
    m_searchIndexed = false;
    m_regionKnown = IsKnownRegion(region);
    QString tip = FromBytes(kFindTip);
    if (!m_regionKnown) {
        tip += QStringLiteral(
                   "\n\nThe home region is not known, so a number typed with its country code "
                   "(+49...) finds only numbers stored with one. Set it as \"Home Region\" (a "
                   "country code such as DE) in the \"Port Setting\" section of %1.")
                   .arg(profileFile.isEmpty() ? QStringLiteral("the profile") : profileFile);
    }
    m_findField->setToolTip(tip);
}

void PhoneBookPage::StartFind() {
    if (!m_findField->isEnabled()) return;
    m_findField->setFocus(Qt::ShortcutFocusReason);
    m_findField->selectAll();
}

void PhoneBookPage::ClearFind() {
    m_findField->clear();
    m_list->setFocus(Qt::ShortcutFocusReason);
    if (const std::optional<int> row = m_list->SelectedRow())
        m_list->scrollTo(m_list->model()->index(*row, 0));
}

void PhoneBookPage::SortList(ListSort sort) {
    m_sort = sort;
    QHeaderView* headings = m_list->horizontalHeader();
    headings->setSortIndicatorShown(sort.order != SortOrder::Slots);
    headings->setSortIndicator(sort.column, sort.order == SortOrder::Descending
                                                ? Qt::DescendingOrder
                                                : Qt::AscendingOrder);
    ApplyView(true);
}

void PhoneBookPage::ApplyView(bool keepSelected) {
    const std::string typed = ToBytes(m_findField->text());
    const bool searching = IsSearch(typed);
    if (searching && !m_searchIndexed) {
        m_search.Index(m_book);
        m_searchIndexed = true;
    }
    SlotSet shown = ShownRows(m_book, FilterGroup(), typed, m_search);
    const std::optional<int> row = m_list->SelectedRow();
    const bool rowShown = row && m_list->IsRowShown(*row);
    if (searching && keepSelected && rowShown) shown.set(static_cast<std::size_t>(*row));
    std::array<bool, kEntrySlots> rows{};
    for (std::size_t r = 0; r < rows.size(); ++r)
        rows[r] = shown.test(r);
    m_list->SetRowsShown(rows);

    std::vector<RowTexts> texts(static_cast<std::size_t>(m_list->RowCount()));
    if (m_sort.order != SortOrder::Slots) {
        for (int r = 0; r < m_list->RowCount(); ++r)
            texts[static_cast<std::size_t>(r)][static_cast<std::size_t>(m_sort.column)] =
                ToBytes(m_list->CellText(r, m_sort.column));
    }
    m_list->SetRowOrder(SortedRows(texts, m_sort));

    // The highlight stays on a row the list shows; a search puts it on the first row it finds.
    // A search that finds nothing leaves the highlight and the panel on the chosen entry, so
    // that the panel never shows (and Save never changes) an entry the user did not choose.
    if ((row || searching) && !(row && m_list->IsRowShown(*row))) {
        if (const std::optional<int> first = m_list->FirstShownRow()) {
            m_list->SelectRow(*first);
            ShowSelectedEntry();
        } else if (!searching || !row) {
            m_list->ClearSelectedRow();
            ShowSelectedEntry();
        }
    }
    emit bookShown();
}

QString PhoneBookPage::StatusLine() {
    // While the page is locked the book is half read or being written: its figures would
    // mislead.
    if (m_locked) {
        SyncEngine& engine = m_session.Engine();
        if (!engine.Running()) return {};
        return engine.IsReading() ? QStringLiteral("Reading the phone book...")
                                  : QStringLiteral("Writing the phone book...");
    }
    // A number with its country code finds nothing more than its stored form; the find field's
    // tip says where the region is set.
    if (!m_regionKnown && m_findField->text().trimmed().startsWith(QLatin1Char('+'))) {
        return QStringLiteral(
            "No home region: a number typed with + finds only numbers stored with +");
    }
    return FromBytes(BookStatusLine(m_book));
}

// ---------------------------------------------------------------------------------------------
// The history

void PhoneBookPage::KeepBook(const char* what) {
    // A book imported or restored replaces the one a damaged file gave.
    const std::string_view replaced(what);
    if (replaced == history::kImported || replaced == history::kRestored) m_damagedFile = false;
    if (m_history == nullptr) return;
    m_history->Record(m_book, QString::fromLatin1(what));
    ReportHistoryFailure();
}

void PhoneBookPage::KeepEdits(const char* what) {
    if (m_history == nullptr) return;
    m_history->RecordEdits(m_book, QString::fromLatin1(what));
    ReportHistoryFailure();
}

// A snapshot that cannot be stored is said once; the work goes on.
void PhoneBookPage::ReportHistoryFailure() {
    const QString failure = m_history->TakeFailure();
    if (failure.isEmpty()) return;
    MessageBox(
        ToBytes(QStringLiteral("The book could not be kept in the history: %1.").arg(failure)));
}

void PhoneBookPage::ShowBook(BookChange change) {
    if (change != BookChange::Entries) FillGroupCombos();
    if (change == BookChange::Everything) FillSmsGroupCombo();
    SelectFirstFilterItem();
    RefreshList();
}

}  // namespace numora

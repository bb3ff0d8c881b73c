#include "app/AddressBookSyncDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "addressbook/PlanListing.h"
#include "carddav/AddressBookSync.h"
#include "carddav/Passwords.h"
#include "history/BookHistory.h"
#include "link/QtProfile.h"
#include "matching/AnswersFile.h"
#include "numbers/PhoneNumbers.h"
#include "ui/PhoneBookPage.h"

namespace numora {

namespace {

constexpr std::string_view kSection = "Address Book Sync";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QString Quoted(const std::string& s) {
    return '"' + Q(s) + '"';
}

void AddChanges(QTreeWidgetItem* parent, const QString& side,
                const std::vector<FieldChange>& changes) {
    for (const FieldChange& f : changes) {
        new QTreeWidgetItem(parent, {side + ": " + Q(std::string(FieldName(f.field))),
                                     Quoted(f.from) + " -> " + Quoted(f.to)});
    }
}

}  // namespace

AddressBookSyncDialog::AddressBookSyncDialog(PhoneBookPage& page, QtProfile& profile,
                                             QWidget* parent)
    : QDialog(parent),
      m_page(page),
      m_profile(profile),
      m_store(std::make_unique<SyncStore>()),
      m_client(std::make_unique<DavClient>()) {
    setWindowTitle(QStringLiteral("Sync with Address Book"));
    // The answers about likely pairs are those Merge Contacts keeps and asks by.
    if (page.History() != nullptr)
        m_store->SetAnswersFile(PairAnswersPath(page.History()->Folder()));
    auto* form = new QFormLayout;
    m_server = new QLineEdit(Q(profile.GetString(kSection, "Server", "")));
    m_server->setPlaceholderText(QStringLiteral("https://dav.example.org/"));
    m_user = new QLineEdit(Q(profile.GetString(kSection, "User", "")));
    m_password = new QLineEdit;
    m_password->setEchoMode(QLineEdit::Password);
    m_rememberPassword = new QCheckBox(QStringLiteral("Remember"));
    auto* passwordRow = new QHBoxLayout;
    passwordRow->addWidget(m_password);
    passwordRow->addWidget(m_rememberPassword);
    m_addressBook = new QComboBox;
    m_addressBook->setEditable(true);
    m_addressBook->setEditText(Q(profile.GetString(kSection, "Address Book", "")));
    m_category = new QLineEdit(Q(profile.GetString(kSection, "Category", "")));
    m_category->setPlaceholderText(QStringLiteral("all contacts"));
    form->addRow(QStringLiteral("Server:"), m_server);
    form->addRow(QStringLiteral("User:"), m_user);
    form->addRow(QStringLiteral("Password:"), passwordRow);
    form->addRow(QStringLiteral("Address book:"), m_addressBook);
    form->addRow(QStringLiteral("Category:"), m_category);
    m_writeAfter = new QCheckBox(QStringLiteral("Write to the phone after syncing"));
    m_writeAfter->setChecked(profile.GetString(kSection, "Write After", "0") == "1");
    m_allowDeletes = new QCheckBox(QStringLiteral("Delete them"));
    m_allowDeletes->hide();
    m_startOver =
        new QCheckBox(QStringLiteral("Start over: pair the book and the address book "
                                     "afresh, as a first sync"));
    m_startOver->hide();

    m_preview = new QTreeWidget;
    m_preview->setColumnCount(2);
    m_preview->setHeaderLabels({QStringLiteral("Contact"), QStringLiteral("Change")});
    m_preview->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_status = new QLabel;
    m_status->setWordWrap(true);
    m_progress = new QProgressBar;
    m_progress->setTextVisible(false);
    m_progress->hide();

    auto* buttons = new QDialogButtonBox;
    m_sync = buttons->addButton(QStringLiteral("Sync"), QDialogButtonBox::ActionRole);
    m_apply = buttons->addButton(QStringLiteral("Apply"), QDialogButtonBox::AcceptRole);
    m_cancel = buttons->addButton(QDialogButtonBox::Cancel);
    m_apply->setEnabled(false);
    connect(m_sync, &QPushButton::clicked, this, &AddressBookSyncDialog::OnSync);
    connect(m_apply, &QPushButton::clicked, this, &AddressBookSyncDialog::OnApply);
    connect(m_cancel, &QPushButton::clicked, this, &AddressBookSyncDialog::OnCancel);
    connect(m_allowDeletes, &QCheckBox::toggled, m_apply, &QPushButton::setEnabled);
    connect(m_startOver, &QCheckBox::toggled, this, [this](bool on) {
        if (on) OnSync();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_writeAfter);
    layout->addWidget(m_preview, 1);
    layout->addWidget(m_status);
    layout->addWidget(m_allowDeletes);
    layout->addWidget(m_startOver);
    layout->addWidget(m_progress);
    layout->addWidget(buttons);
    resize(640, 520);

    if (!m_server->text().isEmpty() && !m_user->text().isEmpty()) {
        if (auto stored = ReadKeyringPassword(KeyringKey(m_server->text(), m_user->text()), 2000)) {
            m_password->setText(*stored);
            m_rememberPassword->setChecked(true);
        }
    }
}

AddressBookSyncDialog::~AddressBookSyncDialog() {
    if (m_run) m_run->Cancel();
}

bool AddressBookSyncDialog::WriteToPhoneAfter() const {
    return m_writeAfter->isChecked();
}

void AddressBookSyncDialog::Busy(bool busy) {
    m_busy = busy;
    m_progress->setVisible(busy);
    m_sync->setEnabled(!busy);
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_server, m_user, m_password, m_addressBook, m_category}) {
        w->setEnabled(!busy);
    }
    if (busy) m_apply->setEnabled(false);
}

QString AddressBookSyncDialog::Remember() {
    m_profile.SetString(kSection, "Server", m_server->text().toStdString());
    m_profile.SetString(kSection, "User", m_user->text().toStdString());
    m_profile.SetString(kSection, "Address Book", m_addressBook->currentText().toStdString());
    m_profile.SetString(kSection, "Category", m_category->text().toStdString());
    m_profile.SetString(kSection, "Write After", m_writeAfter->isChecked() ? "1" : "0");
    const QString key = KeyringKey(m_server->text(), m_user->text());
    if (!m_rememberPassword->isChecked()) {
        ForgetKeyringPassword(key);
        return {};
    }
    QString error;
    if (m_password->text().isEmpty() || StoreKeyringPassword(key, m_password->text(), error)) {
        return {};
    }
    return QStringLiteral("The password could not be remembered: %1.").arg(error);
}

void AddressBookSyncDialog::OnSync() {
    SyncSettings settings;
    settings.server = QUrl::fromUserInput(m_server->text().trimmed());
    settings.user = m_user->text().trimmed();
    settings.addressBook = m_addressBook->currentText().trimmed();
    settings.category = m_category->text().trimmed().toStdString();
    settings.region = m_profile.GetString("Port Setting", "Home Region", "");
    if (settings.region.empty()) {
        settings.region = HomeRegionFromLocale(qgetenv("LC_ALL").toStdString(),
                                               qgetenv("LC_TELEPHONE").toStdString(),
                                               qgetenv("LANG").toStdString());
    }
    if (m_server->text().trimmed().isEmpty() || settings.user.isEmpty()) {
        m_status->setText(QStringLiteral("Give the server's address and your user name."));
        return;
    }
    settings.startOver = m_startOver->isChecked();
    // A word about the keyring stays in view while the sync runs: it is shown before each step.
    m_rememberProblem = Remember();
    // No password is none: a server without authentication is asked nothing, and one with it
    // says it wants one.
    m_client->SetCredentials(settings.user, m_password->text());
    m_preview->clear();
    m_allowDeletes->hide();
    m_allowDeletes->setChecked(false);
    m_status->setText(m_rememberProblem);
    m_run = std::make_unique<AddressBookSync>(settings, *m_client, *m_store);
    connect(m_run.get(), &AddressBookSync::progress, this,
            [this](const QString& what, int done, int total) {
                m_status->setText(Said(what + QStringLiteral("...")));
                m_progress->setRange(0, total);
                m_progress->setValue(done);
            });
    connect(m_run.get(), &AddressBookSync::planned, this, [this] {
        Busy(false);
        ShowPlan();
    });
    connect(m_run.get(), &AddressBookSync::failed, this, [this](const QString& why) {
        Busy(false);
        if (m_applying) {
            // What was done before the stop is in the book and the state alike.
            m_applying = false;
            m_page.ShowBook(BookChange::Everything);
            m_page.EnableControls(true);
            m_page.KeepBook("synced with an address book");
        }
        const auto& found = m_run->AddressBooks();
        if (!found.empty() && m_addressBook->count() == 0) {
            for (const FoundAddressBook& b : found)
                m_addressBook->addItem(b.name);
        }
        QString reason = why;
        if (reason.endsWith('.')) reason.chop(1);
        if (!found.empty()) reason += QStringLiteral(" from the list of address books");
        if (m_run->NeedsPassword()) {
            reason += QStringLiteral(": enter it");
            m_password->setFocus();
        }
        if (m_run->NeedsStartOver()) {
            reason += QStringLiteral(". Nothing was changed; \"Start over\" goes on");
            m_startOver->show();
        }
        m_status->setText(Said(QStringLiteral("The sync stopped: %1.").arg(reason)));
        if (m_run->BookApplied()) ShowPlan();
    });
    connect(m_run.get(), &AddressBookSync::applied, this, [this] {
        Busy(false);
        m_applying = false;
        m_page.ShowBook(BookChange::Everything);
        m_page.EnableControls(true);
        m_page.KeepBook("synced with an address book");
        QString text = QStringLiteral("Synced.");
        for (const QString& p : m_run->Problems())
            text += '\n' + p;
        m_status->setText(Said(text));
        m_apply->setEnabled(false);
        {
            // The pairs are made afresh now: the next sync goes on from them.
            const QSignalBlocker quiet(m_startOver);
            m_startOver->setChecked(false);
            m_startOver->hide();
        }
        ShowPlan();
        if (m_run->Problems().isEmpty() && m_rememberProblem.isEmpty()) accept();
    });
    Busy(true);
    m_run->Prepare(m_page.Book());
}

void AddressBookSyncDialog::ShowPlan() {
    m_preview->clear();
    SyncPlan& plan = m_run->Plan();
    const bool applied = m_run->BookApplied();
    int conflicts = 0;
    for (std::size_t i = 0; i < plan.contacts.size(); ++i) {
        ContactPlan& c = plan.contacts[i];
        if (c.bookAction == BookAction::None && c.cardAction == CardAction::None &&
            c.conflicts.empty() && c.note.empty()) {
            continue;
        }
        // A name cut to 16 characters may be many people's: the card's own name tells.
        QString who = Q(c.label);
        if (!c.cardName.empty() && c.cardName != c.label) {
            who += QStringLiteral(" (") + Q(c.cardName) + ')';
        }
        auto* item = new QTreeWidgetItem(m_preview, {who});
        switch (c.bookAction) {
            case BookAction::Add:
                item->setText(1, (applied ? QStringLiteral("added to the handset (entry %1)")
                                          : QStringLiteral("to be added to the handset (entry %1)"))
                                     .arg(*c.slot));
                break;
            case BookAction::Empty:
                item->setText(1,
                              (applied ? QStringLiteral("emptied on the handset (entry %1)")
                                       : QStringLiteral("to be emptied on the handset (entry %1)"))
                                  .arg(*c.slot));
                break;
            case BookAction::Change:
                AddChanges(item, QStringLiteral("Handset"), c.bookChanges);
                break;
            case BookAction::None:
                break;
        }
        const bool cardDone = !applied || (i < m_run->Done().size() && m_run->Done()[i]);
        switch (cardDone ? c.cardAction : CardAction::None) {
            case CardAction::Create:
                item->setText(1, applied ? QStringLiteral("a new card on the server")
                                         : QStringLiteral("to be a new card on the server"));
                break;
            case CardAction::Delete:
                item->setText(1, applied ? QStringLiteral("card deleted on the server")
                                         : QStringLiteral("card to be deleted on the server"));
                break;
            case CardAction::Change:
                AddChanges(item, QStringLiteral("Server"), c.cardChanges);
                break;
            case CardAction::None:
                break;
        }
        if (!cardDone && c.cardAction != CardAction::None) {
            new QTreeWidgetItem(item, {QStringLiteral("Server"),
                                       QStringLiteral("not changed: left for the next sync")});
        }
        for (std::size_t k = 0; k < c.conflicts.size(); ++k) {
            ++conflicts;
            const SyncConflict& conflict = c.conflicts[k];
            auto* row = new QTreeWidgetItem(
                item, {QStringLiteral("Conflict: ") + Q(std::string(FieldName(conflict.field)))});
            auto* choice = new QComboBox;
            choice->addItem(QStringLiteral("Server's ") + Quoted(conflict.server));
            choice->addItem(QStringLiteral("Handset's ") + Quoted(conflict.book));
            choice->setCurrentIndex(conflict.bookWins ? 1 : 0);
            m_preview->setItemWidget(row, 1, choice);
            connect(choice, &QComboBox::currentIndexChanged, this, [this, &c, k](int index) {
                c.conflicts[k].bookWins = index == 1;
                Resolve(c, m_run->Options());
            });
        }
        if (!c.note.empty()) new QTreeWidgetItem(item, {QStringLiteral("Note"), Q(c.note)});
        item->setExpanded(true);
    }
    for (const SyncLikelyPair& p : plan.likely) {
        auto* item = new QTreeWidgetItem(
            m_preview, {Q(p.bookName) + QStringLiteral(" / ") + Q(p.serverName), Q(p.why)});
        auto* row = new QTreeWidgetItem(item, {QStringLiteral("The same person?")});
        auto* choice = new QComboBox;
        choice->addItems({QStringLiteral("Decide later"), QStringLiteral("Same person"),
                          QStringLiteral("Different people")});
        m_preview->setItemWidget(row, 1, choice);
        connect(choice, &QComboBox::currentIndexChanged, this, [this, p](int index) {
            std::vector<PairAnswer> answers = m_run->Options().answers;
            std::erase_if(
                answers, [&](const PairAnswer& a) { return a.slot == p.slot && a.href == p.href; });
            if (index > 0) answers.push_back({p.slot, p.href, index == 1});
            m_run->Replan(std::move(answers));
            // The list is built anew once this choice's own signal is done with its box.
            QTimer::singleShot(0, this, &AddressBookSyncDialog::ShowPlan);
        });
        item->setExpanded(true);
    }
    if (!plan.notOnHandset.empty()) {
        auto* item = new QTreeWidgetItem(
            m_preview,
            {QStringLiteral("Not on the handset"),
             QStringLiteral("%1 contact(s): the handset holds 300").arg(plan.notOnHandset.size())});
        for (const std::string& name : plan.notOnHandset)
            new QTreeWidgetItem(item, {Q(name)});
    }
    if (applied) return;
    if (const auto stop = m_run->DeletionStop()) {
        m_status->setText(Said(QStringLiteral("The sync stops before changing anything: %1. "
                                              "\"Delete them\" lets it go on.")
                                   .arg(Q(*stop))));
        m_allowDeletes->show();
        m_apply->setEnabled(false);
        return;
    }
    QString text =
        plan.Changes()
            ? QStringLiteral("%1 conflict(s). \"Apply\" makes these changes.").arg(conflicts)
            : QStringLiteral("Nothing to do: the book and the address book agree.");
    if (!plan.likely.empty()) {
        text += QStringLiteral(
                    " %1 likely pair(s) wait for an answer: choose \"Same person\" or "
                    "\"Different people\".")
                    .arg(plan.likely.size());
    }
    m_status->setText(Said(text));
    m_apply->setEnabled(plan.Changes());
}

QString AddressBookSyncDialog::Said(const QString& text) const {
    return m_rememberProblem.isEmpty() ? text : m_rememberProblem + '\n' + text;
}

void AddressBookSyncDialog::OnApply() {
    if (!m_run) return;
    m_page.KeepEdits("edits before an address-book sync");
    m_page.EnableControls(false);
    Busy(true);
    m_applying = true;
    m_run->Apply(m_page.Book());
}

void AddressBookSyncDialog::OnCancel() {
    if (m_busy && m_run) {
        m_run->Cancel();
        return;
    }
    reject();
}

}  // namespace numora

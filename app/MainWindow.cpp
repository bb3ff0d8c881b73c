#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "app/AboutDialog.h"
#include "app/AddressBookSyncDialog.h"
#include "app/AppIcon.h"
#include "app/ContactsCommands.h"
#include "app/FileDrop.h"
#include "app/FormView.h"
#include "app/HistoryDialog.h"
#include "app/MergeCommands.h"
#include "app/ProtocolLogDialog.h"
#include "app/SimulatorProcess.h"
#include "app/WriteVerifier.h"
#include "history/BookHistory.h"
#include "print/PrintDialog.h"
#include "ui/Modal.h"
#include "ui/PhoneBookPage.h"
#include "ui/ReportList.h"

namespace numora {

namespace {

constexpr int kVersionBytes = 99;
constexpr int kScreenHeightMargin = 50;
constexpr const char* kVerifySection = "Phone Book";
constexpr const char* kVerifyKey = "Verify After Writing";

// The local files of a drop, in the order given.
QStringList LocalFiles(const QMimeData* mime) {
    QStringList files;
    if (mime == nullptr || !mime->hasUrls()) return files;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) files << url.toLocalFile();
    }
    return files;
}

std::vector<std::string> Paths(const QStringList& files) {
    std::vector<std::string> paths;
    for (const QString& file : files)
        paths.push_back(file.toStdString());
    return paths;
}

QString ReadVersion(const QString& path, bool& found) {
    QFile file(path);
    found = file.open(QIODevice::ReadOnly);
    if (!found) return {};
    QByteArray bytes = file.read(kVersionBytes);
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0) bytes.truncate(zero);
    return QString::fromLatin1(bytes);
}

}  // namespace

QString FrameTitle(const QDir& current) {
    QString title = QStringLiteral(" KXT-5507 Phone Book ");
    bool found = false;
    QString version = ReadVersion(current.filePath(QStringLiteral("nmxver.dat")), found);
    if (!found) version = ReadVersion(current.filePath(QStringLiteral("../nmxver.dat")), found);
    return title + version;
}

MainWindow::MainWindow(WindowOptions options, QWidget* parent)
    : QMainWindow(parent), m_options(std::move(options)) {
    setObjectName(QStringLiteral("mainFrame"));
    setAcceptDrops(true);
    setWindowIcon(AppIcon());
    if (m_options.programFolder.isEmpty()) {
        m_options.programFolder = QCoreApplication::applicationDirPath();
    }
    // The simulator names its terminal once it runs.
    m_connection = std::make_unique<HandsetConnection>(m_options.profilePath, m_options.port,
                                                       m_options.simulate);
    SerialPort().SetOnOpenFailed([] { QApplication::beep(); });

    Profile& profile = m_connection->SessionProfile();
    m_view = new FormView(SerialPort(), m_clock, profile, this);
    setCentralWidget(m_view);
    Page()->SetProgramFolder(m_options.programFolder);
    Page()->SetHomeRegion(ContactsReading(Settings()).numbers.HomeRegion(), Settings().FileName());
    m_history = std::make_unique<BookHistory>(
        m_options.historyFolder.isEmpty() ? BookHistory::DefaultFolder() : m_options.historyFolder);
    Page()->SetHistory(m_history.get());
    m_verifier = new WriteVerifier(SerialPort(), m_clock, profile, *Page(), this);
    // While a write is verified, the port's replies go to the verifying read.
    m_connection->DeliverTo(
        [this](std::span<uint8_t> block) {
            if (m_verifier->Active()) {
                m_verifier->OnPhoneData(block);
            } else {
                Page()->Session().OnReceivedBlock(block);
            }
        },
        [this] {
            if (m_verifier->Active()) {
                m_verifier->OnPortLost();
            } else {
                Page()->Session().OnPortLost();
            }
        });
    connect(Page(), &PhoneBookPage::runEnded, this, [this](RunOutcome outcome) {
        if (outcome == RunOutcome::WriteCompleted && m_verifyAction->isChecked()) {
            QTimer::singleShot(0, this, [this] {
                m_verifier->Start(m_connection->DiscoverPorts(),
                                  Page()->Session().Engine().GetPace());
            });
        }
    });
    // The protocol log keeps the frames of the last run, a write's with its read-back.
    Page()->Session().SetTrace(&m_protocolLog);
    m_verifier->SetTrace(&m_protocolLog);
    Page()->Session().Engine().SetOnRunStarted([this](bool) {
        m_protocolLog.StartRun();
        if (m_logWindow != nullptr) m_logWindow->Reload();
    });

    BuildMenus();
    // How full the handset's book is, under the page.
    auto* figures = new QLabel(Page()->StatusLine());
    figures->setObjectName(QStringLiteral("bookFigures"));
    statusBar()->addWidget(figures);
    const auto showFigures = [figures, page = Page()] { figures->setText(page->StatusLine()); };
    connect(Page(), &PhoneBookPage::bookShown, figures, showFigures);
    connect(Page(), &PhoneBookPage::controlsEnabled, figures, showFigures);
    setWindowTitle(FrameTitle(QDir::current()));
    Settings().SetString("Initialization", "ClassName", metaObject()->className());
    FitToForm();
}

MainWindow::~MainWindow() {
    delete m_verifier;  // its session talks to the port
    m_verifier = nullptr;
    delete m_logWindow;  // it watches the log, which goes before the window's children
    m_logWindow = nullptr;
    // The page's session talks to the port and the clock: it goes first.
    m_connection->Release();
    delete takeCentralWidget();
    m_view = nullptr;
}

PhoneBookPage* MainWindow::Page() const {
    return m_view->Page();
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    // The page's four commands, with their keys; like the buttons, not while the page is locked.
    PhoneBookPage* page = Page();
    const struct {
        const char* text;
        QKeySequence keys;
        void (PhoneBookPage::*command)();
    } commands[] = {
        {"&Read from Phone", QKeySequence(Qt::CTRL | Qt::Key_R), &PhoneBookPage::OnReadFromPhone},
        {"&Write to Phone", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W),
         &PhoneBookPage::OnWriteToPhone},
        {"File &Open", QKeySequence::Open, &PhoneBookPage::OnFileOpen},
        {"File &Save", QKeySequence::Save, &PhoneBookPage::OnFileSave},
    };
    for (const auto& c : commands) {
        QAction* action = file->addAction(QString::fromLatin1(c.text));
        action->setShortcut(c.keys);
        connect(action, &QAction::triggered, page, c.command);
        connect(page, &PhoneBookPage::controlsEnabled, action, &QAction::setEnabled);
    }
    file->addSeparator();
    QAction* import = file->addAction(QStringLiteral("&Import Contacts..."));
    connect(import, &QAction::triggered, this, &MainWindow::OnImportContacts);
    QAction* merge = file->addAction(QStringLiteral("&Merge Contacts..."));
    connect(merge, &QAction::triggered, this,
            [this] { MergeContactsFile(this, *Page(), Settings()); });
    QAction* exportAction = file->addAction(QStringLiteral("&Export Contacts..."));
    connect(exportAction, &QAction::triggered, this, &MainWindow::OnExportContacts);
    QAction* duplicates = file->addAction(QStringLiteral("Find D&uplicates..."));
    connect(duplicates, &QAction::triggered, this,
            [this] { FindDuplicates(this, *Page(), Settings()); });
    QAction* syncAction = file->addAction(QStringLiteral("Sync with &Address Book..."));
    connect(syncAction, &QAction::triggered, this, &MainWindow::OnSyncAddressBook);
    file->addSeparator();
    QAction* directory = file->addAction(QStringLiteral("Print &Directory..."));
    connect(directory, &QAction::triggered, this, &MainWindow::OnPrintDirectory);
    file->addSeparator();
    QAction* historyAction = file->addAction(QStringLiteral("&History..."));
    connect(historyAction, &QAction::triggered, this, &MainWindow::OnHistory);
    m_verifyAction = file->addAction(QStringLiteral("&Verify After Writing"));
    m_verifyAction->setCheckable(true);
    m_verifyAction->setChecked(Settings().GetString(kVerifySection, kVerifyKey, "0") == "1");
    connect(m_verifyAction, &QAction::toggled, this, &MainWindow::OnVerifyAfterWriting);
    file->addSeparator();
    QAction* log = file->addAction(QStringLiteral("Protocol &Log..."));
    connect(log, &QAction::triggered, this, &MainWindow::OnProtocolLog);
    // The pace of reads and writes, kept in the profile from one start to the next.
    QAction* fast = file->addAction(QStringLiteral("Fast Transfers"));
    fast->setObjectName(QStringLiteral("fastTransfersAction"));
    fast->setCheckable(true);
    const auto setPace = [this](bool on) {
        Page()->Session().Engine().SetPace(on ? Pace::Fast : Pace::Specified);
    };
    fast->setChecked(Settings().GetString(kPortSection, kFastTransfersKey, "0") == "1");
    setPace(fast->isChecked());
    connect(fast, &QAction::toggled, this, [this, setPace](bool on) {
        Settings().SetString(kPortSection, kFastTransfersKey, on ? "1" : "0");
        setPace(on);
    });
    file->addSeparator();
    QAction* exitAction = file->addAction(QStringLiteral("E&xit"));
    connect(exitAction, &QAction::triggered, this, &MainWindow::close);
    // Contacts change the book: not while a run or a file command has the page locked.
    connect(Page(), &PhoneBookPage::controlsEnabled, import, &QAction::setEnabled);
    connect(Page(), &PhoneBookPage::controlsEnabled, merge, &QAction::setEnabled);
    connect(Page(), &PhoneBookPage::controlsEnabled, duplicates, &QAction::setEnabled);
    connect(Page(), &PhoneBookPage::controlsEnabled, exportAction, &QAction::setEnabled);
    connect(Page(), &PhoneBookPage::controlsEnabled, syncAction, &QAction::setEnabled);
    connect(Page(), &PhoneBookPage::controlsEnabled, historyAction, &QAction::setEnabled);
    // A printout of a book half read or being written would mislead.
    connect(Page(), &PhoneBookPage::controlsEnabled, directory, &QAction::setEnabled);
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    QAction* find = edit->addAction(QStringLiteral("&Find..."));
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, page, &PhoneBookPage::StartFind);
    connect(page, &PhoneBookPage::controlsEnabled, find, &QAction::setEnabled);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* about = help->addAction(QStringLiteral("&About Program"));
    connect(about, &QAction::triggered, this, &MainWindow::OnAbout);
    // Open and Save are the page's File Open and File Save. The ruled printout has no menu
    // entry: Ctrl+P is its only way in.
    auto* print = new QAction(this);
    print->setObjectName(QStringLiteral("printAction"));
    print->setShortcut(QKeySequence::Print);
    addAction(print);
    connect(print, &QAction::triggered, this, &MainWindow::OnPrint);
    connect(page, &PhoneBookPage::controlsEnabled, print, &QAction::setEnabled);
}

void MainWindow::OnSyncAddressBook() {
    AddressBookSyncDialog dialog(*Page(), Settings(), this);
    if (RunModal(dialog) == QDialog::Accepted && dialog.WriteToPhoneAfter()) {
        Page()->OnWriteToPhone();
    }
}

bool MainWindow::Busy() const {
    return Page()->Locked() || m_verifier->Active();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (PlanDrop(Paths(LocalFiles(event->mimeData())), Busy()).action != DropAction::Nothing) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList files = LocalFiles(event->mimeData());
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    // The file manager is not kept waiting while the window asks and works.
    QTimer::singleShot(0, this, [this, files] { OpenFiles(files); });
}

void MainWindow::OpenFiles(const QStringList& paths) {
    const DropPlan plan = PlanDrop(Paths(paths), Busy());
    if (!plan.refused.empty()) {
        QStringList names;
        for (const std::string& path : plan.refused)
            names << QFileInfo(QString::fromStdString(path)).fileName();
        ShowMessage(this, ToBytes(QStringLiteral("Not a phone book (*.pb) or contacts file "
                                                 "(*.vcf, *.csv, *.json): %1")
                                      .arg(names.join(QStringLiteral(", ")))));
    }
    QStringList files;
    for (const std::string& path : plan.files)
        files << QString::fromStdString(path);
    switch (plan.action) {
        case DropAction::OpenBook:
            Page()->OpenBookFile(files.first());
            break;
        case DropAction::MergeOrReplace: {
            // Nothing is asked about a file that cannot be read.
            if (QString why; !ContactsFileReadable(files.first(), why)) {
                ShowOpenFailure(this, files.first(), why);
                break;
            }
            const auto choice = AskChoice(
                this,
                ToBytes(QStringLiteral("\"%1\" holds contacts. Merge them into the book, or "
                                       "replace the book's entries with them?")
                            .arg(QFileInfo(files.first()).fileName())),
                {QStringLiteral("Merge into the book"), QStringLiteral("Replace the entries")});
            if (choice == 0) MergeFiles(files);
            if (choice == 1) ImportContactsFrom(this, *Page(), Settings(), files.first());
            break;
        }
        case DropAction::MergeEach:
            MergeFiles(files);
            break;
        case DropAction::Nothing:
            break;
    }
}

void MainWindow::MergeFiles(const QStringList& paths) {
    MergeContactsFiles(this, *Page(), Settings(), paths);
}

void MainWindow::OnImportContacts() {
    ImportContactsFile(this, *Page(), Settings());
}

void MainWindow::OnExportContacts() {
    ExportContactsFile(this, *Page());
}

void MainWindow::OnHistory() {
    HistoryDialog dialog(*m_history, Page()->Book(), this);
    if (RunModal(dialog) == QDialog::Accepted) RestoreSnapshot(dialog.ChosenId());
}

void MainWindow::RestoreSnapshot(const QString& id) {
    PhoneBookPage& page = *Page();
    if (page.Locked()) return;
    page.KeepEdits(history::kBeforeRestore);
    page.EnableControls(false);
    QString why;
    const bool loaded = m_history->Load(id, page.Book(), true, &why);
    if (loaded) {
        page.ClearForm();
        page.ShowBook(BookChange::Everything);
    }
    page.EnableControls(true);
    if (!loaded) {
        page.MessageBox(
            ToBytes(QStringLiteral("Snapshot %1 cannot be brought back: %2.").arg(id, why)));
        return;
    }
    page.KeepBook(history::kRestored);
}

void MainWindow::OnVerifyAfterWriting(bool on) {
    Settings().SetString(kVerifySection, kVerifyKey, on ? "1" : "0");
}

void MainWindow::OnProtocolLog() {
    if (m_logWindow == nullptr) m_logWindow = new ProtocolLogDialog(m_protocolLog, this);
    m_logWindow->show();
    m_logWindow->raise();
}

// The printouts show what the list shows, row by row.
PrintRowSource MainWindow::ListRows() const {
    const ReportList* list = Page()->List();
    return [list](int row) {
        ListRowTexts cells;
        if (!list->IsRowShown(row)) return cells;
        for (int col = 0; col < kListColumns; ++col) {
            cells[static_cast<std::size_t>(col)] = ToBytes(list->CellText(row, col));
        }
        return cells;
    };
}

void MainWindow::OnPrint() {
    PrintPhoneBook(this, ListRows());
}

void MainWindow::OnPrintDirectory() {
    PrintDirectory(this, ListRows());
}

WindowPlacement PlaceWindow(QSize screen, QSize form) {
    const QSize room(screen.width(), screen.height() - kScreenHeightMargin);
    return {form.boundedTo(room), form.width() > room.width() || form.height() > room.height()};
}

void MainWindow::FitToForm() {
    QSize screen(1024, 768);
    if (const QScreen* s = QGuiApplication::primaryScreen()) screen = s->geometry().size();
    const int bars = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
    const WindowPlacement placement = PlaceWindow(screen, m_view->FormSize() + QSize(0, bars));
    move(0, 0);
    resize(placement.size);
    if (placement.maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::StartUp() {
    Page()->DeleteWorkFile();
    // A file named on the command line is opened in place of the handset's book.
    const bool readHandset = m_options.file.isEmpty();
    if (!readHandset) {
        Page()->ShowBook(BookChange::Everything);
        QTimer::singleShot(0, this, [this] { OpenFiles({m_options.file}); });
    }
    if (!m_options.simulate) {
        if (readHandset) BeginSearch();
        return;
    }
    m_simulator = new SimulatorProcess(this);
    connect(m_simulator, &SimulatorProcess::ready, this,
            [this, readHandset](const QString& terminal) {
                m_connection->PinTo(terminal);
                if (readHandset) BeginSearch();
            });
    connect(m_simulator, &SimulatorProcess::failed, this, [this](const QString& reason) {
        // Without the simulator there is nothing to read: the window starts with an empty book.
        ShowMessage(this, ToBytes(reason + QStringLiteral(" Numora goes on without a handset.")));
        emit simulatorFailed();
    });
    const QString program = m_options.simulator.isEmpty()
                                ? SimulatorProcess::FindProgram(m_options.programFolder)
                                : m_options.simulator;
    const QString book = m_options.simulatorBook.isEmpty()
                             ? SimulatorProcess::FindSampleBook(m_options.programFolder)
                             : m_options.simulatorBook;
    QStringList arguments;
    if (!book.isEmpty()) arguments << QStringLiteral("--book") << book;
    m_simulator->Start(program, arguments);
}

void MainWindow::BeginSearch() {
    // The search gets at least as long as one sweep of the ports it will try.
    Page()->Session().Engine().SetTimeouts(m_connection->SearchTimeoutMs(kDefaultSearchTimeoutMs),
                                           kDefaultReplyTimeoutMs);
    Page()->StartUp(m_connection->DiscoverPorts());
}

void MainWindow::OnAbout() {
    AboutDialog about(this);
    RunModal(about);
}

std::string CloseDuringWriteQuestion(PhoneHolds holds) {
    return "A write to the phone is in progress. Closing now leaves the phone with " +
           std::string(PhoneHoldsText(holds)) + ". Close anyway?";
}

void MainWindow::closeEvent(QCloseEvent* event) {
    SyncEngine& engine = Page()->Session().Engine();
    // The write goes on while the question is open; when what the phone would be left with
    // changes meanwhile, the question is asked again with the new answer.
    while (engine.Running() && !engine.IsReading() && engine.Holds() != PhoneHolds::NewBook) {
        const PhoneHolds asked = engine.Holds();
        if (!AskQuestion(this, CloseDuringWriteQuestion(asked))) {
            event->ignore();
            return;
        }
        if (engine.Holds() == asked) break;
    }
    // Closing never asks to save: edits no snapshot holds are kept in the history instead.
    if (!engine.Running()) Page()->KeepEdits(history::kOnClose);
    // A read or write still under way ends cleanly: the port closes before the window goes.
    engine.Cancel();
    if (m_simulator != nullptr) m_simulator->Stop();
    QMainWindow::closeEvent(event);
}

}  // namespace numora

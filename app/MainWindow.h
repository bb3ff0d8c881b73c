// The main window. It owns the serial port, the clock and the profile for as long as it lives;
// the page inside its view builds its session (and with it the command layer) on them. It also
// runs numora-sim for --simulate, and maps port numbers to devices.
#pragma once

#include <QDir>
#include <QMainWindow>
#include <QString>
#include <memory>
#include <string>
#include <string_view>

#include "link/HandsetConnection.h"
#include "link/ProtocolLog.h"
#include "link/QtClock.h"
#include "print/BookPrint.h"
#include "sync/SyncEngine.h"

namespace numora {

class BookHistory;
class WriteVerifier;
class FormView;
class PhoneBookPage;
class ProtocolLogDialog;
class SimulatorProcess;

struct WindowOptions {
    QString port;           // --port: the device every port number means
    bool simulate = false;  // --simulate: numora-sim answers as the handset
    QString simulator;      // the simulator program; found next to the program or on PATH
    QString simulatorBook;  // the book it starts with; the sample book when empty
    QString profilePath;    // an INI file instead of the user's profile
    QString programFolder;  // the program's folder; the executable's when empty
    QString historyFolder;  // the book's history; the user's history folder when empty
    QString file;           // a book or contacts file to open instead of reading the handset
};

// The profile's "Port Setting" key of the File menu's "Fast Transfers": "1" on, "0" off.
inline constexpr const char* kFastTransfersKey = "Fast Transfers";

// Asked before the window closes while a write runs: what the phone is left with if it does.
[[nodiscard]] std::string CloseDuringWriteQuestion(PhoneHolds holds);

// Where the window starts: at the top-left corner, as large as the screen allows (its height
// less a margin for the task bar) and shrunk to the form where the form is smaller. On a screen
// too small for the form it starts maximized, and the page lays itself out in what there is.
struct WindowPlacement {
    QSize size;
    bool maximized = false;
};
[[nodiscard]] WindowPlacement PlaceWindow(QSize screen, QSize form);

// " KXT-5507 Phone Book " and the text of "nmxver.dat" from the folder, else from its parent.
[[nodiscard]] QString FrameTitle(const QDir& current);

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(WindowOptions options = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    FormView* View() const { return m_view; }
    PhoneBookPage* Page() const;
    CommPort& SerialPort() { return m_connection->SerialPort(); }
    QtProfile& Settings() { return m_connection->UserProfile(); }

    // The page's start-up: the work file goes, the handset's ports are looked for, the port
    // search window shows and the book is read, as "Read from Phone" does. With --simulate the
    // simulator is started first and the rest follows once it names its terminal.
    void StartUp();

    ProtocolLog& Log() { return m_protocolLog; }
    ProtocolLogDialog* ProtocolLogWindow() const { return m_logWindow; }
    BookHistory& History() { return *m_history; }
    // Puts a snapshot into the window as File Open would; the window's edits are kept first.
    void RestoreSnapshot(const QString& id);
    // Files given from outside (dropped on the window, named on the command line): a phone
    // book opens as File Open does, one contacts file asks whether to merge it or replace the
    // entries, several are merged one after the other. Nothing happens while the page is busy.
    void OpenFiles(const QStringList& paths);

public slots:
    void OnAbout();
    void OnImportContacts();
    void OnSyncAddressBook();
    void OnExportContacts();
    void OnProtocolLog();
    void OnPrint();
    void OnHistory();
    void OnVerifyAfterWriting(bool on);
    void OnPrintDirectory();

signals:
    // numora-sim could not be started; the window goes on without a handset.
    void simulatorFailed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool Busy() const;
    // Merges the files' contacts into the book through the merge preview, one after the other.
    void MergeFiles(const QStringList& paths);
    void BuildMenus();
    PrintRowSource ListRows() const;
    void FitToForm();
    void BeginSearch();

    WindowOptions m_options;
    std::unique_ptr<HandsetConnection> m_connection;
    QtClock m_clock;
    ProtocolLog m_protocolLog{m_clock};
    ProtocolLogDialog* m_logWindow = nullptr;
    SimulatorProcess* m_simulator = nullptr;
    std::unique_ptr<BookHistory> m_history;
    WriteVerifier* m_verifier = nullptr;
    QAction* m_verifyAction = nullptr;
    FormView* m_view = nullptr;
};

}  // namespace numora

// The "Phone Book" page: the whole working surface of the window. The list of all 300 entry
// slots with the group filter on the left, the detail panel of the selected entry on the right,
// the four commands and the progress bar along the bottom. The page owns the book and the
// session that talks to the handset (pacer, command set, port search and engine); the port,
// the clock and the profile it is given belong to the main window and outlive the page.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "book/PhoneBook.h"
#include "browse/BookSearch.h"
#include "browse/RowOrder.h"
#include "link/PortSearch.h"
#include "page/PbFileCommands.h"
#include "sync/PhoneSession.h"
#include "ui/DialogUnits.h"
#include "ui/PageLayout.h"
#include "ui/PortSearchDialog.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;

namespace numora {

class BookHistory;
class QtFileAccess;
class ReportList;

// Shown after the connection message when a read broke off (a broken write says what the phone
// holds now), and asked before writing a book that came from a broken read.
inline constexpr std::string_view kReadIncomplete =
    "The phone book was not read completely: the window holds only what arrived.";
inline constexpr std::string_view kWriteIncompleteBook =
    "This book comes from a read that did not finish. Writing it replaces the phone's whole "
    "phone book with it. Write it anyway?";
inline constexpr std::string_view kWriteDamagedBook =
    "This book comes from a damaged file (File Open said what was left out). Writing it replaces "
    "the phone's whole phone book with it. Write it anyway?";
inline constexpr std::string_view kWriteAnyway = " Write it anyway?";

// One number of an entry in the panel: its edit, speed-dial box and "Select" button.
struct NumberControls {
    QLineEdit* number = nullptr;
    QLineEdit* speedDial = nullptr;
    QPushButton* select = nullptr;
};

class PhoneBookPage : public QWidget, public SessionView, public FileView {
    Q_OBJECT
public:
    PhoneBookPage(Port& port, Clock& clock, Profile& profile, QWidget* parent = nullptr);
    ~PhoneBookPage() override;

    PhoneBook& Book() { return m_book; }
    const PhoneBook& Book() const { return m_book; }
    PhoneSession& Session() { return m_session; }
    ReportList* List() const { return m_list; }

    // The room the window gives the page beyond its template size (less when negative): the
    // controls are laid out for it. No growth is the template's fixed layout.
    void SetGrowth(QSize growth);
    QSize TemplateSize() const { return m_units.Size(kPageWidth, kPageHeight); }
    QSize MinimumGrowth() const { return MinimumPageGrowth(m_metrics); }

    // Where "backup.efs" is deleted: the program's folder unless told otherwise.
    void SetProgramFolder(const QString& folder) { m_programFolder = folder; }
    // Where File Open and File Save read and write; the page's own file dialogs until told.
    void SetFileAccess(QtFileAccess& files) { m_files = &files; }

    // The book's history: the page keeps the book at every completed read, write, File Open
    // and File Save, and before a read or File Open replaces edits that no snapshot holds.
    // Without one no history is kept.
    void SetHistory(BookHistory* history) { m_history = history; }
    BookHistory* History() const { return m_history; }
    void KeepBook(const char* what);
    void KeepEdits(const char* what);

    // Start-up after the list is built: shows the port search dialog, picks the first port from
    // those discovery marked and reads the handset's book as "Read from Phone" does.
    void StartUp(const PortTable& discovered);
    void OpenSearchDialog();

    // The views of the port search, the engine and the file commands
    void MessageBox(std::string_view text) override;
    void SetProgressRange(int lo, int hi) override;
    void SetProgressPos(int pos) override;
    int ProgressPos() const override;
    void EnableControls(bool enable) override;
    void ClearForm() override;
    void ShowSelectedEntry() override;
    void ShowBook(BookChange change) override;
    void Repaint() override;
    void PortStatus(LinkState state, int port) override;
    void CloseSearchDialog() override;
    void DeleteWorkFile() override;

    void FillGroupCombos();
    void FillSmsGroupCombo();
    void RefreshList();
    bool Locked() const { return m_locked; }
    // The book in the page came from a read that did not finish.
    bool BookFromIncompleteRead() const { return m_incompleteRead; }
    // The book in the page came from a file that was not read whole.
    bool BookFromDamagedFile() const { return m_damagedFile; }

    // Find as you type: the field the window shows beside the page's tab. While it holds text
    // the list shows only the entries it finds among those the group filter shows; the panel
    // stays as it is (editable under "All"), and an entry edited so that it is no longer found
    // stays in the list until the search changes.
    QLineEdit* FindField() const { return m_findField; }
    // Numbers are found in their international form under this region ("DE"). Without one a
    // number typed with its country code finds only numbers stored with one: the find field
    // says so, and where (profileFile) the region is set.
    void SetHomeRegion(const std::string& region, const QString& profileFile = {});
    void StartFind();
    // Empties the search: every row shows again, the selected entry stays selected.
    void ClearFind();
    // The list's order by a column heading (as a click on it gives); the book is not touched.
    void SortList(ListSort sort);
    // "40 of 300 entries, 260 free; 18 of 19 speed dials free", or what a read or write is
    // doing while it has the page locked.
    QString StatusLine();

    // What the speed dial dialog reads of the panel.
    QString SpeedDialBoxText(NumberKind kind) const;
    QString NumberBoxText(NumberKind kind) const;
    QString NameBoxText() const;
    // The slot the panel shows: the selected row, or 0 while nothing is selected.
    int CurrentId() const;
    PortSearchDialog* SearchDialog() const { return m_searchDialog; }

public slots:
    void OnReadFromPhone();
    void OnWriteToPhone();
    void OnFileOpen();
    void OnFileSave();
    // File Open of a file already chosen (dropped on the window, named on the command line).
    void OpenBookFile(const QString& path);
    void OnSave();
    void OnReset();
    void OnDelete();
    void OnSelectSpeedDial(NumberKind kind);
    void OnEditGroup();
    void OnEditSmsGroup();

signals:
    // The page greys (false) and restores (true) its controls around long work; the window
    // greys its tab and the menu commands that would touch the book with them.
    void controlsEnabled(bool enable);
    // A read or write run has ended.
    void runEnded(numora::RunOutcome outcome);
    // The list was filled again or an entry changed; the status line follows.
    void bookShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildList();
    // Selects the first item of the group filter ("All" whenever group slot 0 is valid).
    void SelectFirstFilterItem();
    void BlankListRows();
    void ClearDetail();
    // The group view shows a group's members read-only; the panel's choices and its buttons
    // are off there.
    void SetGroupViewMode(bool on);
    // The panel's text fields, and what besides them edits an entry.
    std::array<QLineEdit*, 4> TextFields() const;
    std::array<QWidget*, 8> EntryChoices() const;
    void OnRowSelected();
    // Applies the search and the sort to the list's rows. A refresh keeps the selected row in
    // sight; a new search shows only what it finds and moves the highlight to its first row.
    void ApplyView(bool keepSelected);
    void OnFilterChanged();
    void OnNumberChanged(int kindIndex);
    void FillRow(int slot);
    void ResetMediaCombos();
    int FilterGroup() const;
    bool FilterShowsAll() const;
    // The entry as the panel's fields hold it; a list without a choice keeps before's code.
    PBEntry TypedEntry(int slot, const std::optional<PBEntry>& before) const;
    void ApplySpeedDials(int slot);
    void ReportHistoryFailure();
    void OpenBook(FileAccess& files);
    [[nodiscard]] bool WriteIsWanted();

    void LayOut();
    void Put(QWidget* widget, const QRect& rect) const;
    QLabel* Label(const QString& text, int x, int y, int w, int h);
    QLineEdit* Edit(const char* name, int x, int y, int w, int h, int maxLength);
    QComboBox* Combo(const char* name, int x, int y, int w);
    QPushButton* Button(const char* name, const QString& text, int x, int y, int w, int h);

    PhoneBook m_book;
    PhoneSession m_session;
    DialogUnits m_units;
    QString m_programFolder;
    std::unique_ptr<QtFileAccess> m_ownFiles;
    QtFileAccess* m_files = nullptr;
    BookHistory* m_history = nullptr;
    QPointer<PortSearchDialog> m_searchDialog;
    // The search window comes up when a run's search has not found the handset by then.
    static constexpr int kSearchWindowDelayMs = 2000;
    QTimer m_searchDelay;
    std::pair<LinkState, int> m_portStatus{LinkState::Waiting, 0};
    bool m_locked = false;
    bool m_incompleteRead = false;
    // The book a read replaces, given back when the read takes nothing of the handset's.
    std::optional<PhoneBook> m_beforeRead;
    bool m_damagedFile = false;

    QSize m_growth;
    PageMetrics m_metrics{m_units};
    QWidget* m_into = this;  // where the controls being built go, at m_origin of the page
    QPoint m_origin;

    BookSearch m_search;
    bool m_regionKnown = true;
    bool m_searchIndexed = false;  // the search holds the book's entries as they are
    ListSort m_sort;

    ReportList* m_list = nullptr;
    QLineEdit* m_findField = nullptr;
    QFrame* m_panelFrame = nullptr;
    QScrollArea* m_panelScroll = nullptr;
    QWidget* m_panel = nullptr;
    QComboBox* m_filterCombo = nullptr;
    QPushButton* m_editGroup = nullptr;
    QComboBox* m_smsGroupCombo = nullptr;
    QPushButton* m_editSmsGroup = nullptr;
    QLineEdit* m_id = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_groupCombo = nullptr;
    std::array<NumberControls, kNumberKinds> m_numbers{};
    QLineEdit* m_email = nullptr;
    QCheckBox* m_secret = nullptr;
    QLineEdit* m_wireless = nullptr;
    QLineEdit* m_memo = nullptr;
    QComboBox* m_ringer = nullptr;
    QComboBox* m_msgRinger = nullptr;
    QComboBox* m_graphic = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_reset = nullptr;
    QPushButton* m_save = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_read = nullptr;
    QPushButton* m_write = nullptr;
    QPushButton* m_fileOpen = nullptr;
    QPushButton* m_fileSave = nullptr;
};

}  // namespace numora

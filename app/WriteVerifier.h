// "Verify After Writing": once the handset has taken a book, its book is read back into a
// scratch book by a session of its own on the window's port, and compared with the book
// written. The window's book is not touched; the page stays locked while the read runs and its
// progress bar shows it.
#pragma once

#include <QObject>
#include <memory>
#include <span>

#include "book/PhoneBook.h"
#include "link/Clock.h"
#include "link/Port.h"
#include "link/PortSearch.h"
#include "link/Profile.h"
#include "link/Trace.h"
#include "sync/PhoneSession.h"

namespace numora {

class PhoneBookPage;

inline constexpr std::string_view kWrittenAsIs = "The phone holds the book as written.";
inline constexpr std::string_view kReadBackHeading = "read back to verify the write";

class WriteVerifier : public QObject, private SessionView {
    Q_OBJECT
public:
    WriteVerifier(Port& port, Clock& clock, Profile& profile, PhoneBookPage& page,
                  QObject* parent = nullptr);
    ~WriteVerifier() override;

    // Where the read-back's frames go, after a line that sets them apart from the write's.
    void SetTrace(TraceSink* trace) { m_trace = trace; }
    // Reads the handset's book back at the pace the write went; the ports to try first as the
    // port search takes them.
    void Start(const PortTable& discovered, Pace pace);
    bool Active() const { return m_session != nullptr; }
    // A burst from the port, and the port going away, while the read runs.
    void OnPhoneData(std::span<uint8_t> block);
    void OnPortLost();

signals:
    // The verdict was shown; the window's port is the page's again.
    void finished();

private:
    void OnRunEnded(RunOutcome outcome);

    // SessionView: the scratch read shows only its progress, on the page's bar.
    void MessageBox(std::string_view text) override;
    void SetProgressRange(int lo, int hi) override;
    void SetProgressPos(int pos) override;
    int ProgressPos() const override;
    void EnableControls(bool) override {}
    void ClearForm() override {}
    void ShowSelectedEntry() override {}
    void ShowBook(BookChange) override {}
    void PortStatus(LinkState, int) override {}
    void CloseSearchDialog() override {}
    void DeleteWorkFile() override {}

    Port& m_port;
    Clock& m_clock;
    Profile& m_profile;
    PhoneBookPage& m_page;
    PhoneBook m_scratch;
    TraceSink* m_trace = nullptr;
    std::unique_ptr<PhoneSession> m_session;
    std::string m_failure;
};

}  // namespace numora

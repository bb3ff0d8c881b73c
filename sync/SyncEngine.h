// The synchronisation engine: reads the handset's phone book into the book and writes it back.
// It is driven by the handset's replies: each reply it recognises makes it send at most one
// request, so a run advances one exchange at a time. A watchdog ends a run that gets no
// recognised reply for too long, so no run can hang for ever.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "book/PBData.h"
#include "book/PageSeam.h"
#include "link/Clock.h"
#include "link/PacedTimer.h"
#include "link/Pacer.h"
#include "link/PhoneLink.h"
#include "link/PortSearch.h"

namespace numora {

inline constexpr std::string_view kWriteCompleted = "Phonebook Write Completed!";
inline constexpr std::string_view kCheckConnection = "Check Phone connection and power on !!!     ";

// Progress bar ranges and fixed positions of the two runs.
constexpr int kReadProgressEnd = 387;
constexpr int kReadRecordPhasePos = 79;
constexpr int kWriteProgressEnd = 441;
constexpr int kWriteDataPassPos = 410;

constexpr int kStatusPollPauseMs = 100;
constexpr int kEntryRequestExtraPauseMs = 100;
constexpr int kWriteEndPauseMs = 500;

// How long a run waits before giving up: for the port search to find a handset, and for the
// next recognised reply once the handset answers.
constexpr int kDefaultSearchTimeoutMs = 60000;
constexpr int kDefaultReplyTimeoutMs = 5000;

enum class RunOutcome { ReadCompleted, WriteCompleted, Failed };

class CSyncEngine {
public:
    CSyncEngine(CPBData& book, IPageSeam& page, CPhoneLink& link, IPort& port, CPortSearch& search,
                CLinkPacer& pacer, IClock& clock);
    ~CSyncEngine();
    CSyncEngine(const CSyncEngine&) = delete;
    CSyncEngine& operator=(const CSyncEngine&) = delete;

    // The buttons "Read from Phone" and "Write to Phone".
    void OnReadFromPhone();
    void OnWriteToPhone();

    // A received block, escapes already removed; dispatched on the link phase.
    void OnPhoneData(std::span<const uint8_t> block);

    // The port went away under a run (the handset was unplugged): the run ends at once.
    void OnPortLost();

    // The user gives the run up (closes the port search window): it ends as a failed run does,
    // controls unlocked, without the connection message.
    void Cancel();

    void SetTimeouts(int searchMs, int replyMs) {
        m_searchTimeoutMs = searchMs;
        m_replyTimeoutMs = replyMs;
    }
    void SetOnRunEnded(std::function<void(RunOutcome)> fn) { m_onRunEnded = std::move(fn); }
    // Called as a run begins, before anything is sent (the protocol log starts afresh).
    void SetOnRunStarted(std::function<void(bool reading)> fn) { m_onRunStarted = std::move(fn); }
    bool Running() const { return m_running; }
    bool IsReading() const { return m_isReading != 0; }

private:
    bool CanStart();
    void BeginRun(bool reading);
    void StartRead();
    void StartWrite();
    void Dispatch(std::span<const uint8_t> block);
    bool DispatchRead(std::span<const uint8_t> block);
    bool DispatchWrite(std::span<const uint8_t> block);
    bool OnModeReply();
    void OnModeRefused();
    bool OnPasswordAccepted();

    // Reading
    void RequestFirstItem();
    bool OnReadItem(std::span<const uint8_t> reply);
    bool OnUsedSlotMask(std::span<const uint8_t> reply);
    bool OnGroupRecord(std::span<const uint8_t> reply);
    bool OnEntryRecord(std::span<const uint8_t> reply);
    void FinishRead(bool noEntries);

    // Writing
    void SendClearingSpeedDial(int element);
    bool OnItemEcho(std::span<const uint8_t> echo);
    bool OnMaskEcho();
    bool OnGroupEcho();
    bool OnEntryEcho();
    void StartEntryPhase();
    void SendEntry(uint16_t entry);
    void SendNextGroupMembers(bool entriesSent);
    void StartDataPass(bool entriesSent);
    void CountGroupMembers();
    void FinishWrite();

    void EndRun(RunOutcome outcome);
    void OnWatchdog();
    void Fail();

    CPBData& m_book;
    IPageSeam& m_page;
    CPhoneLink& m_link;
    IPort& m_port;
    CPortSearch& m_search;
    CLinkPacer& m_pacer;
    std::function<void(RunOutcome)> m_onRunEnded;
    std::function<void(bool)> m_onRunStarted;

    uint8_t m_isReading = 1;
    uint8_t m_writeDataPass = 0;
    uint8_t m_groupCursor = 0;
    uint16_t m_entryCursor = kNone16;
    int m_progressStep = 0;
    std::array<uint16_t, 6> m_groupMemberCounts{};

    bool m_running = false;
    bool m_handshakeStarted = false;  // a mode-control reply was acted upon in this handshake
    bool m_bookComplete = false;      // a read run has shown the whole book
    int m_searchTimeoutMs = kDefaultSearchTimeoutMs;
    int m_replyTimeoutMs = kDefaultReplyTimeoutMs;
    CPacedTimer m_watchdog;
};

}  // namespace numora

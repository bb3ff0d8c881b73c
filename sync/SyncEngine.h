// The synchronisation engine: reads the handset's phone book into the book and writes it back.
// It is driven by the handset's replies: it keeps the one request it has outstanding and takes
// only the reply that answers it, and each reply it takes makes it send at most one request, so
// a run advances one exchange at a time. Received bytes are cut into frames and each frame's
// check sequence is tested first; a damaged reply has its request sent again. Every run ends: a
// watchdog ends one that gets no reply for too long, and refusals, damaged replies, replies
// that answer nothing and a busy handset each have a bound. A failed run says why, in one more
// message after the connection message (RunFailure).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "book/PhoneBook.h"
#include "link/Clock.h"
#include "link/FrameCodec.h"
#include "link/PacedTimer.h"
#include "link/Pacer.h"
#include "link/PhoneLink.h"
#include "link/PortSearch.h"
#include "link/Trace.h"
#include "sync/RunFailure.h"
#include "sync/SyncView.h"

namespace numora {

inline constexpr std::string_view kWriteCompleted = "Phonebook Write Completed!";
inline constexpr std::string_view kCheckConnection = "Check Phone connection and power on !!!     ";
// What the phone holds during a write and after one stopped, by the last echo it gave. The
// clearing pass empties the used-slot mask before the first entry goes out, and the data pass
// writes the mask again only after every entry and group: a read in between finds no entries.
// Speed dial 20 is cleared by no step of the clearing pass and keeps its slot until the end.
enum class PhoneHolds {
    ItsBook,                   // nothing was changed yet
    ItsEntriesLessSpeedDials,  // speed dials cleared (and SMS groups written), entries untouched
    NoEntries,                 // the used-slot mask is empty
    NewEntriesLessSpeedDials,  // the new entries and groups, not yet all their speed dials
    NewBook,
};

// "no entries", "part of its book: ...", as in "the phone holds ...".
std::string_view PhoneHoldsText(PhoneHolds holds);
// What the window and the tool say after a write that stopped where it changed the phone.
std::string WriteStoppedMessage(PhoneHolds holds);

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

// A fast run falls back to the specified pace after this many late replies, and before its
// reply time runs out.
constexpr int kLateRepliesBeforeFallback = 2;
inline constexpr std::string_view kFallbackNote = "replies come late: the specified pace from here";

// Bounds of a run: a damaged reply has its request sent again at most this often; the handset
// may refuse the mode this many times in one run, answer with this many frames in a row that
// answer nothing, and stay busy this long.
constexpr int kMaxResends = 2;
constexpr int kMaxRefusals = 10;
constexpr int kMaxIgnoredInRow = 32;
constexpr int kBusyLimitMs = 120000;

// The most received bytes waiting while a pause runs; far more than the handset sends unasked.
// Beyond it a port is talking noise, and the excess is dropped.
constexpr std::size_t kMaxWaitingInput = 16384;

// Failed: the run could not go on (the connection message was shown). Cancelled: it was
// stopped from outside (the window closing, the tool interrupted), without a message.
enum class RunOutcome { ReadCompleted, WriteCompleted, Failed, Cancelled };

class SyncEngine {
public:
    SyncEngine(PhoneBook& book, SyncView& page, PhoneLink& link, Port& port, PortSearch& search,
               LinkPacer& pacer, Clock& clock);
    ~SyncEngine();
    SyncEngine(const SyncEngine&) = delete;
    SyncEngine& operator=(const SyncEngine&) = delete;

    // The buttons "Read from Phone" and "Write to Phone".
    void OnReadFromPhone();
    void OnWriteToPhone();

    // Received bytes as the port delivered them, escapes still in place. While the port search
    // probes they are AT text; in framed mode they are gathered into frames.
    void OnPhoneData(std::span<const uint8_t> block);

    // The port went away under a run (the handset was unplugged): the run ends at once.
    void OnPortLost();

    // Ends a run at once from outside: the port closes, the controls unlock, no message shows.
    // A read that already holds the whole book completes.
    void Cancel();

    // Every received frame, with what became of it, for --trace and the protocol log.
    void SetTrace(TraceSink* trace) { m_trace = trace; }

    // The pace of the next runs. A fast run that gets two replies late falls back to the
    // specified pace for the rest of the run.
    void SetPace(Pace pace) { m_pace = pace; }
    Pace GetPace() const { return m_pace; }

    void SetTimeouts(int searchMs, int replyMs) {
        m_searchTimeoutMs = searchMs;
        m_replyTimeoutMs = replyMs;
    }
    void SetOnRunEnded(std::function<void(RunOutcome)> fn) { m_onRunEnded = std::move(fn); }
    // Called as a run begins, before anything is sent (the protocol log starts afresh).
    void SetOnRunStarted(std::function<void(bool reading)> fn) { m_onRunStarted = std::move(fn); }
    bool Running() const { return m_running; }
    bool IsReading() const { return m_isReading != 0; }
    // What the phone holds now, or after the last write ended.
    PhoneHolds Holds() const { return m_phoneHolds; }
    // The last write ended after the phone confirmed a change and before the last speed dial:
    // the phone's phone book is incomplete.
    bool PhoneBookBroken() const {
        return !m_running && m_phoneHolds != PhoneHolds::ItsBook &&
               m_phoneHolds != PhoneHolds::NewBook;
    }
    // Why the last run failed; None when it did not.
    const RunFailureReport& Failure() const { return m_failure; }
    // The last read took something of the handset's book before it ended.
    [[nodiscard]] bool AnythingRead() const { return m_anythingRead; }

private:
    bool CanStart();
    void BeginRun(bool reading);
    void StartRead();
    void StartWrite();
    void OnBlock(std::span<uint8_t> raw);
    void OnFrame(std::span<const uint8_t> frame, bool checked);
    void Await();
    void Dispatch(std::span<const uint8_t> block);
    void DispatchRead(std::span<const uint8_t> block);
    void DispatchWrite(std::span<const uint8_t> block);
    void OnModeReply();
    void OnModeRefused();
    void OnStatus(uint8_t busy);
    void OnPasswordAccepted();

    // Reading
    void RequestFirstItem();
    void OnReadItem(std::span<const uint8_t> reply);
    void OnUsedSlotMask(std::span<const uint8_t> reply);
    void OnGroupRecord(std::span<const uint8_t> reply);
    void OnEntryRecord(std::span<const uint8_t> reply);
    void FinishRead(bool noEntries);

    // Writing
    void SendClearingSpeedDial(int element);
    void OnItemEcho(std::span<const uint8_t> echo);
    void OnMaskEcho();
    void OnGroupEcho();
    void OnEntryEcho();
    void StartEntryPhase();
    void SendEntry(uint16_t entry);
    void SendNextGroupMembers(bool entriesSent);
    void StartDataPass(bool entriesSent);
    void FinishWrite();
    void CompleteWrite();

    void ArmSearchDeadline();
    void StopSearchDeadline();
    void DropWaitingInput();
    void WindDown();
    void EndRun(RunOutcome outcome);
    void OnWatchdog();
    void Fail(RunFailure cause) { Abandon(RunOutcome::Failed, cause); }
    void OnLateReply();
    void FallBackToSpecifiedPace();
    void Abandon(RunOutcome outcome, RunFailure cause = RunFailure::None);
    void TraceIn(std::span<const uint8_t> bytes, std::string_view note = {});

    PhoneBook& m_book;
    SyncView& m_page;
    PhoneLink& m_link;
    Port& m_port;
    PortSearch& m_search;
    LinkPacer& m_pacer;
    Clock& m_clock;
    TraceSink* m_trace = nullptr;
    std::function<void(RunOutcome)> m_onRunEnded;
    std::function<void(bool)> m_onRunStarted;

    uint8_t m_isReading = 1;
    uint8_t m_writeDataPass = 0;
    uint8_t m_groupCursor = 0;
    uint16_t m_entryCursor = kNone16;
    int m_progressStep = 0;
    GroupCounts m_groupMemberCounts{};

    bool m_running = false;
    bool m_handshakeStarted = false;  // a mode-control reply was acted upon in this handshake
    bool m_anythingRead = false;
    bool m_bookComplete = false;  // a read run has shown the whole book
    PhoneHolds m_phoneHolds = PhoneHolds::ItsBook;
    bool m_writeFinishing = false;  // the last speed dial is written; the port closes soon
    RunFailureReport m_failure;
    // What came since the last reply taken, for a run whose reply time runs out.
    RunFailure m_lastSign = RunFailure::Silent;

    std::vector<uint8_t> m_waitingInput;  // received while a pause runs, bounded
    bool m_inputQueued = false;           // a step that takes m_waitingInput is queued
    Clock::TimerId m_searchDeadline = Clock::kNoTimer;

    FrameReader m_reader;
    std::vector<uint8_t> m_awaited;  // the request whose reply the run waits for
    int m_resends = 0;               // of the awaited request, after damaged replies
    int m_refusals = 0;
    int m_ignoredInRow = 0;
    int64_t m_busySince = -1;

    Pace m_pace = Pace::Specified;
    int m_lateReplies = 0;
    bool m_lateResent = false;  // the awaited request was sent again for being late
    PacedTimer m_lateTimer;     // a fast run's wait for the awaited reply
    int m_searchTimeoutMs = kDefaultSearchTimeoutMs;
    int m_replyTimeoutMs = kDefaultReplyTimeoutMs;
    PacedTimer m_watchdog;
};

}  // namespace numora

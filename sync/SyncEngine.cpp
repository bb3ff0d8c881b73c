#include "sync/SyncEngine.h"

#include <vector>

#include "book/Records.h"

namespace numora {

CSyncEngine::CSyncEngine(CPBData& book, IPageSeam& page, CPhoneLink& link, IPort& port,
                         CPortSearch& search, CLinkPacer& pacer, IClock& clock)
    : m_book(book),
      m_page(page),
      m_link(link),
      m_port(port),
      m_search(search),
      m_pacer(pacer),
      m_watchdog(clock, pacer, [this] { OnWatchdog(); }) {
    // Once the handset is in framed mode, silence means a lost connection, not a slow search.
    m_search.SetOnFramed([this] {
        if (m_running) m_watchdog.Arm(m_replyTimeoutMs);
    });
}

CSyncEngine::~CSyncEngine() {
    m_search.SetOnFramed({});
}

void CSyncEngine::OnReadFromPhone() {
    m_pacer.Do([this] { StartRead(); });
}

void CSyncEngine::OnWriteToPhone() {
    m_pacer.Do([this] { StartWrite(); });
}

void CSyncEngine::OnPhoneData(std::span<const uint8_t> block) {
    // The block may have to wait for a pause to run out, so it is kept.
    m_pacer.Do([this, copy = std::vector<uint8_t>(block.begin(), block.end())] { Dispatch(copy); });
}

void CSyncEngine::OnPortLost() {
    m_pacer.Do([this] {
        if (m_running && !m_bookComplete) Fail();
    });
}

// A run that has shown the whole book and only waits for the handset's last answer may be
// left behind by a new run.
bool CSyncEngine::CanStart() {
    if (!m_running) return true;
    if (!m_bookComplete) return false;
    EndRun(RunOutcome::ReadCompleted);
    return true;
}

void CSyncEngine::BeginRun(bool reading) {
    m_isReading = reading ? 1 : 0;
    m_running = true;
    m_bookComplete = false;
    m_handshakeStarted = false;
    m_watchdog.Arm(m_searchTimeoutMs);
    if (m_onRunStarted) m_onRunStarted(reading);
}

void CSyncEngine::StartRead() {
    if (!CanStart()) return;
    BeginRun(true);
    m_page.EnableControls(false);
    m_page.DeleteWorkFile();
    m_page.SetProgressRange(0, kReadProgressEnd);
    m_page.SetProgressPos(0);
    m_book.ResetAllGroups();
    m_book.ResetAllEntries();
    m_page.ClearForm();
    m_page.ShowSelectedEntry();
    m_page.SetProgressPos(1);
    m_progressStep = 0;
    m_search.TryOpenPort();
    m_pacer.Do([this] { m_page.SetProgressPos(2); });
}

void CSyncEngine::StartWrite() {
    if (!CanStart()) return;
    BeginRun(false);
    m_page.SelectFirstFilterItem();
    m_page.EnableControls(false);
    m_page.RefreshList();
    m_page.SetProgressRange(0, kWriteProgressEnd);
    m_page.SetProgressPos(0);
    m_progressStep = 0;
    m_groupMemberCounts.fill(0);
    m_page.SetProgressPos(1);
    m_search.TryOpenPort();
    m_pacer.Do([this] { m_page.SetProgressPos(2); });
}

void CSyncEngine::Dispatch(std::span<const uint8_t> block) {
    switch (m_search.LinkPhase()) {
        case kPhaseProbing:
        case kPhaseModeSent:
            m_search.OnPhoneData(block);
            return;
        case kPhaseFramed:
            break;
        default:
            return;
    }
    if (!m_running || block.empty()) return;
    // The handshake is the same both ways; the rest depends on the run's direction.
    const uint8_t b1 = ByteAt(block, 1);
    bool progressed = false;
    switch (block[0]) {
        case cmd::kModeControl:
            progressed = b1 == 1 && OnModeReply();
            break;
        case cmd::kRefused18:
        case cmd::kRefused1F:
            OnModeRefused();
            progressed = true;
            break;
        case cmd::kPassword:
            // A refused password matches nothing: the run waits, the watchdog ends it.
            progressed = b1 != 0 && OnPasswordAccepted();
            break;
        default:
            progressed = m_isReading != 0 ? DispatchRead(block) : DispatchWrite(block);
    }
    if (progressed && m_running && !m_bookComplete) m_watchdog.Arm(m_replyTimeoutMs);
}

// The handset's answer to mode control 1 opens the handshake. The port search may ask twice
// (after the mode switch text and again from its timer), so an answer that comes once the
// handshake is under way is ignored: one run never runs two sequences side by side. A refusal
// of the mode opens the way for a new handshake.
bool CSyncEngine::OnModeReply() {
    if (m_handshakeStarted) return false;
    m_handshakeStarted = true;
    m_page.SetProgressPos(3);
    if (m_isReading != 0) {
        m_link.SendCmd3F();
    } else {
        m_writeDataPass = 0;
        m_link.SendPassword();
    }
    return true;
}

bool CSyncEngine::OnPasswordAccepted() {
    m_page.SetProgressPos(4);
    if (m_isReading != 0) {
        RequestFirstItem();
    } else {
        SendClearingSpeedDial(0);
    }
    return true;
}

void CSyncEngine::OnModeRefused() {
    m_handshakeStarted = false;
    m_link.SendModeControl(1);
}

bool CSyncEngine::DispatchRead(std::span<const uint8_t> r) {
    const uint8_t code = r[0];
    const uint8_t b1 = ByteAt(r, 1);
    switch (code) {
        case cmd::kEnd:
            if (m_port.IsOpen()) m_port.Close();
            m_page.EnableControls(true);
            m_page.SetProgressPos(0);
            EndRun(m_bookComplete ? RunOutcome::ReadCompleted : RunOutcome::Failed);
            return false;
        case cmd::kStatus:
            if (b1 == 0) {
                m_link.SendPassword();
                return true;
            }
            // Busy: ask again shortly. Polls do not feed the watchdog, so a handset that stays
            // busy ends the run instead of holding it for ever.
            m_pacer.Pause(kStatusPollPauseMs);
            m_pacer.Do([this] { m_link.SendCmd3F(); });
            return false;
        case cmd::kNvRead:
            return OnReadItem(r);
        case cmd::kMaskRead:
            return OnUsedSlotMask(r);
        case cmd::kGroupRead:
            return OnGroupRecord(r);
        case cmd::kEntryRead:
            return OnEntryRecord(r);
        default:
            return false;
    }
}

bool CSyncEngine::DispatchWrite(std::span<const uint8_t> r) {
    switch (r[0]) {
        case cmd::kNvWrite:
            return OnItemEcho(r);
        case cmd::kMaskWrite:
            return OnMaskEcho();
        case cmd::kGroupWrite:
            return OnGroupEcho();
        case cmd::kEntryWrite:
            return OnEntryEcho();
        default:
            return false;
    }
}

void CSyncEngine::EndRun(RunOutcome outcome) {
    m_watchdog.Stop();
    m_search.Stop();
    m_running = false;
    m_bookComplete = false;
    if (m_onRunEnded) m_onRunEnded(outcome);
}

void CSyncEngine::OnWatchdog() {
    if (!m_running) return;
    if (m_bookComplete) {
        // The whole book is in; only the handset's last answer is missing.
        if (m_port.IsOpen()) m_port.Close();
        m_page.EnableControls(true);
        m_page.SetProgressPos(0);
        EndRun(RunOutcome::ReadCompleted);
        return;
    }
    Fail();
}

// Ends a run that cannot go on: the search stops, steps still waiting are dropped and the port
// is closed before the message shows, so nothing more happens on the line behind it.
void CSyncEngine::Fail() {
    m_search.Stop();
    m_pacer.Reset();
    if (m_port.IsOpen()) m_port.Close();
    m_search.SetLinkPhase(kPhaseIdle);
    if (m_isReading != 0) m_page.DeleteWorkFile();
    m_page.MessageBox(kCheckConnection);
    m_page.SetProgressPos(0);
    m_page.EnableControls(true);
    EndRun(RunOutcome::Failed);
}

void CSyncEngine::Cancel() {
    if (!m_running) return;
    m_search.Stop();
    m_pacer.Reset();
    if (m_port.IsOpen()) m_port.Close();
    m_search.SetLinkPhase(kPhaseIdle);
    if (m_isReading != 0) m_page.DeleteWorkFile();
    m_page.SetProgressPos(0);
    m_page.EnableControls(true);
    EndRun(RunOutcome::Failed);
}

}  // namespace numora

#include "sync/SyncEngine.h"

#include <algorithm>
#include <vector>

#include "book/Records.h"
#include "link/HandsetCommands.h"

namespace numora {

SyncEngine::SyncEngine(PhoneBook& book, SyncView& page, PhoneLink& link, Port& port,
                       PortSearch& search, LinkPacer& pacer, Clock& clock)
    : m_book(book),
      m_page(page),
      m_link(link),
      m_port(port),
      m_search(search),
      m_pacer(pacer),
      m_clock(clock),
      m_lateTimer(clock, pacer, [this] { OnLateReply(); }),
      m_watchdog(clock, pacer, [this] { OnWatchdog(); }) {
    // Once the handset is in framed mode, silence means a lost connection, not a slow search.
    // The search may send mode control 1 a second time; once the handshake is under way the
    // run keeps waiting for what it asked for itself.
    m_search.SetOnFramed([this] {
        if (!m_running || m_handshakeStarted) return;
        StopSearchDeadline();
        Await();
        m_watchdog.Arm(m_replyTimeoutMs);
    });
    m_search.SetOnDenied([this] {
        if (m_running) m_pacer.Do([this] { Fail(RunFailure::PortDenied); });
    });
}

SyncEngine::~SyncEngine() {
    StopSearchDeadline();
    m_search.SetOnFramed({});
    m_search.SetOnDenied({});
}

void SyncEngine::OnReadFromPhone() {
    m_pacer.Do([this] { StartRead(); });
}

void SyncEngine::OnWriteToPhone() {
    m_pacer.Do([this] { StartWrite(); });
}

void SyncEngine::OnPhoneData(std::span<const uint8_t> block) {
    // What arrives during a pause waits for it, gathered into one bounded buffer, so that a
    // port that never stops talking costs no more memory than a pause's worth of replies.
    const std::size_t room = kMaxWaitingInput - std::min(kMaxWaitingInput, m_waitingInput.size());
    const std::size_t taken = std::min(room, block.size());
    m_waitingInput.insert(m_waitingInput.end(), block.begin(),
                          block.begin() + static_cast<std::ptrdiff_t>(taken));
    // Said once for each time the buffer fills, not for every burst dropped after.
    if (taken < block.size() && room > 0 && m_trace != nullptr) {
        m_trace->TraceNote(TraceDir::In, {}, "too much at once: the rest is dropped");
    }
    if (m_inputQueued) return;
    m_inputQueued = true;
    m_pacer.Do([this] {
        m_inputQueued = false;
        std::vector<uint8_t> input;
        input.swap(m_waitingInput);
        OnBlock(input);
    });
}

void SyncEngine::DropWaitingInput() {
    m_pacer.Reset();
    m_waitingInput.clear();
    m_inputQueued = false;
}

void SyncEngine::OnPortLost() {
    m_pacer.Do([this] {
        if (m_running && !m_bookComplete) Fail(RunFailure::PortLost);
    });
}

void SyncEngine::Cancel() {
    if (!m_running) return;
    if (m_bookComplete) {
        OnWatchdog();  // the whole book is in: the read completes
        return;
    }
    if (m_writeFinishing) {
        // The phone holds the whole book; only the pause before the port closes is left.
        DropWaitingInput();
        CompleteWrite();
        return;
    }
    Abandon(RunOutcome::Cancelled);
}

// A run that has shown the whole book and only waits for the handset's last answer may be
// left behind by a new run.
bool SyncEngine::CanStart() {
    if (!m_running) return true;
    if (!m_bookComplete) return false;
    EndRun(RunOutcome::ReadCompleted);
    return true;
}

void SyncEngine::BeginRun(bool reading) {
    m_isReading = reading ? 1 : 0;
    m_running = true;
    m_bookComplete = false;
    m_handshakeStarted = false;
    m_anythingRead = false;
    m_phoneHolds = PhoneHolds::ItsBook;
    m_writeFinishing = false;
    m_reader.Reset();
    m_awaited.clear();
    m_resends = 0;
    m_refusals = 0;
    m_ignoredInRow = 0;
    m_busySince = -1;
    m_lateReplies = 0;
    m_failure = {};
    m_lastSign = RunFailure::Silent;
    m_search.BeginRun();
    m_link.SetPace(m_pace);
    ArmSearchDeadline();
    if (m_onRunStarted) m_onRunStarted(reading);
}

// The search's time-out is a promise on the clock: it is not held by the pauses the search
// takes, nor by what a port sends meanwhile.
void SyncEngine::ArmSearchDeadline() {
    StopSearchDeadline();
    m_searchDeadline = m_clock.StartTimer(m_searchTimeoutMs, [this] {
        m_searchDeadline = Clock::kNoTimer;
        if (m_running) Fail(RunFailure::NoHandset);
    });
}

void SyncEngine::StopSearchDeadline() {
    if (m_searchDeadline != Clock::kNoTimer) m_clock.StopTimer(m_searchDeadline);
    m_searchDeadline = Clock::kNoTimer;
}

void SyncEngine::StartRead() {
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

void SyncEngine::StartWrite() {
    if (!CanStart()) return;
    BeginRun(false);
    // Every entry the list shows is written, also one whose group slot has no name yet: such a
    // slot is named, and the list shows the whole book as it goes out.
    const bool named = !m_book.KeepStrayEntries().empty();
    m_page.EnableControls(false);
    m_page.ShowBook(named ? BookChange::Groups : BookChange::Entries);
    m_page.SetProgressRange(0, kWriteProgressEnd);
    m_page.SetProgressPos(0);
    m_progressStep = 0;
    m_groupMemberCounts.fill(0);
    m_page.SetProgressPos(1);
    m_search.TryOpenPort();
    m_pacer.Do([this] { m_page.SetProgressPos(2); });
}

void SyncEngine::TraceIn(std::span<const uint8_t> bytes, std::string_view note) {
    if (m_trace != nullptr) m_trace->TraceNote(TraceDir::In, bytes, note);
}

// While the port search probes, the line carries AT text, taken a burst at a time; in framed
// mode the bytes are gathered into frames. One burst can hold the end of the one and the start
// of the other, so the phase is looked at again after each piece.
void SyncEngine::OnBlock(std::span<uint8_t> raw) {
    while (!raw.empty()) {
        if (m_search.Phase() == LinkPhase::Framed) {
            m_reader.Feed(raw, [this](std::span<const uint8_t> frame, bool checked) {
                OnFrame(frame, checked);
            });
            return;
        }
        // Before the escapes are removed, 0x7E is always a flag.
        const auto flag = std::find(raw.begin(), raw.end(), kFrameFlag);
        const std::size_t end =
            static_cast<std::size_t>(flag - raw.begin()) + (flag == raw.end() ? 0 : 1);
        const auto piece = raw.first(end);
        raw = raw.subspan(end);
        m_reader.Reset();
        const auto text = piece.first(UnescapeBlock(piece));
        // A flag alone carries no text: noise, not an answer to the probe.
        if (text.size() == 1 && text[0] == kFrameFlag) continue;
        TraceIn(text);
        const LinkPhase phase = m_search.Phase();
        if (phase == LinkPhase::Probing || phase == LinkPhase::ModeSent) m_search.OnPhoneData(text);
    }
}

// The request just sent is the one whose reply the run now waits for.
void SyncEngine::Await() {
    m_awaited = m_link.LastRequest();
    m_resends = 0;
    m_lateResent = false;
    if (m_link.GetPace() == Pace::Fast) m_lateTimer.Arm(FastReplyTimeoutMs(m_awaited));
}

// At the fast pace a reply that does not come in good time has its request sent once more;
// a handset that is late twice gets the specified pace for the rest of the run.
void SyncEngine::OnLateReply() {
    if (!m_running || m_awaited.empty() || m_link.GetPace() != Pace::Fast) return;
    if (m_trace != nullptr) m_trace->TraceNote(TraceDir::In, {}, "late reply: asked again");
    if (++m_lateReplies >= kLateRepliesBeforeFallback) FallBackToSpecifiedPace();
    if (m_lateResent) return;
    m_lateResent = true;
    m_link.Resend(m_awaited);
    if (m_link.GetPace() == Pace::Fast) m_lateTimer.Arm(FastReplyTimeoutMs(m_awaited));
}

void SyncEngine::FallBackToSpecifiedPace() {
    if (m_link.GetPace() != Pace::Fast) return;
    m_link.SetPace(Pace::Specified);
    m_lateTimer.Stop();
    if (m_trace != nullptr) m_trace->TraceNote(TraceDir::In, {}, kFallbackNote);
}

void SyncEngine::OnFrame(std::span<const uint8_t> frame, bool checked) {
    // A write ends without waiting for the answer to its last request: when it comes, it is
    // that answer, not a stray.
    if (!m_running && checked && !m_awaited.empty() && AnswersRequest(m_awaited, frame)) {
        TraceIn(frame);
        m_awaited.clear();
        return;
    }
    if (!m_running || m_search.Phase() != LinkPhase::Framed || m_awaited.empty()) {
        TraceIn(frame, "ignored");
        return;
    }
    if (!checked) {
        // The reply to the awaited request may be in it: the request goes again, as it went.
        TraceIn(frame, "bad check sequence");
        m_lastSign = RunFailure::DamagedReplies;
        if (++m_resends > kMaxResends) {
            Fail(RunFailure::DamagedReplies);
            return;
        }
        m_link.Resend(m_awaited);
        return;
    }
    // Any sound frame, however late, shows the handset is there: its reply time starts again.
    if (!m_bookComplete) m_watchdog.Arm(m_replyTimeoutMs);
    if (RefusesRequest(m_awaited, frame)) {
        TraceIn(frame);
        m_ignoredInRow = 0;
        OnModeRefused();
        return;
    }
    if (!AnswersRequest(m_awaited, frame)) {
        // A repeat, a late or unsolicited reply: it answers nothing the run asked for. One of
        // the same kind answers another request (another slot, another item).
        TraceIn(frame, "ignored");
        if (frame[0] == m_awaited[0]) m_lastSign = RunFailure::WrongReplies;
        if (++m_ignoredInRow > kMaxIgnoredInRow) Fail(RunFailure::WrongReplies);
        return;
    }
    TraceIn(frame);
    m_ignoredInRow = 0;
    m_lastSign = RunFailure::Silent;
    m_lateTimer.Stop();
    const unsigned sent = m_link.RequestCount();
    Dispatch(frame);
    if (m_link.RequestCount() != sent) Await();
}

// The reply answers the awaited request; it drives the next one. The handshake is the same
// both ways; the rest depends on the run's direction.
void SyncEngine::Dispatch(std::span<const uint8_t> block) {
    const uint8_t b1 = ByteAt(block, 1);
    switch (block[0]) {
        case cmd::kModeControl:
            if (b1 == 1) OnModeReply();
            break;
        case cmd::kPassword:
            // Nothing goes on without the password: a refusal ends the run at once.
            if (b1 == 0) {
                Fail(RunFailure::PasswordRefused);
            } else {
                OnPasswordAccepted();
            }
            break;
        default:
            if (m_isReading != 0) {
                DispatchRead(block);
            } else {
                DispatchWrite(block);
            }
    }
}

// The handset's answer to mode control 1 opens the handshake. A write that starts over after a
// refusal starts from its first step, its member counts counted afresh.
void SyncEngine::OnModeReply() {
    m_handshakeStarted = true;
    m_page.SetProgressPos(3);
    if (m_isReading != 0) {
        m_link.RequestStatus();
    } else {
        m_writeDataPass = 0;
        m_groupMemberCounts.fill(0);
        m_link.SendPassword();
    }
}

void SyncEngine::OnPasswordAccepted() {
    m_page.SetProgressPos(4);
    if (m_isReading != 0) {
        RequestFirstItem();
    } else {
        SendClearingSpeedDial(0);
    }
}

void SyncEngine::OnModeRefused() {
    if (++m_refusals > kMaxRefusals) {
        Fail(RunFailure::ModeRefused);
        return;
    }
    m_handshakeStarted = false;
    m_link.SwitchMode(1);
    Await();
    m_watchdog.Arm(m_replyTimeoutMs);
}

// Busy answers are polled for, 100 ms apart, for as long as a real handset stays busy.
void SyncEngine::OnStatus(uint8_t busy) {
    if (busy == 0) {
        m_busySince = -1;
        m_link.SendPassword();
        return;
    }
    const int64_t now = m_clock.NowMs();
    if (m_busySince < 0) m_busySince = now;
    if (now - m_busySince > kBusyLimitMs) {
        Fail(RunFailure::Busy);
        return;
    }
    m_pacer.Pause(kStatusPollPauseMs);
    m_pacer.Do([this] {
        if (!m_running) return;
        m_link.RequestStatus();
        Await();
    });
}

void SyncEngine::DispatchRead(std::span<const uint8_t> r) {
    const uint8_t code = r[0];
    const uint8_t b1 = ByteAt(r, 1);
    switch (code) {
        case cmd::kEnd:
            if (m_port.IsOpen()) m_port.Close();
            m_page.EnableControls(true);
            m_page.SetProgressPos(0);
            EndRun(m_bookComplete ? RunOutcome::ReadCompleted : RunOutcome::Failed);
            break;
        case cmd::kStatus:
            OnStatus(b1);
            break;
        case cmd::kNvRead:
            OnReadItem(r);
            break;
        case cmd::kMaskRead:
            OnUsedSlotMask(r);
            break;
        case cmd::kGroupRead:
            OnGroupRecord(r);
            break;
        case cmd::kEntryRead:
            OnEntryRecord(r);
            break;
        default:
            break;
    }
}

void SyncEngine::DispatchWrite(std::span<const uint8_t> r) {
    switch (r[0]) {
        case cmd::kNvWrite:
            OnItemEcho(r);
            break;
        case cmd::kMaskWrite:
            OnMaskEcho();
            break;
        case cmd::kGroupWrite:
            OnGroupEcho();
            break;
        case cmd::kEntryWrite:
            OnEntryEcho();
            break;
        default:
            break;
    }
}

// Stops everything that could still act for the run, before any message shows: a message box
// runs an event loop, and nothing may fail the same run a second time behind it.
void SyncEngine::WindDown() {
    m_watchdog.Stop();
    m_lateTimer.Stop();
    StopSearchDeadline();
    m_search.Stop();
    m_running = false;
    m_bookComplete = false;
    m_writeFinishing = false;
}

void SyncEngine::EndRun(RunOutcome outcome) {
    WindDown();
    if (m_onRunEnded) m_onRunEnded(outcome);
}

void SyncEngine::OnWatchdog() {
    if (!m_running) return;
    if (m_bookComplete) {
        // The whole book is in; only the handset's last answer is missing.
        if (m_port.IsOpen()) m_port.Close();
        m_page.EnableControls(true);
        m_page.SetProgressPos(0);
        EndRun(RunOutcome::ReadCompleted);
        return;
    }
    if (m_link.GetPace() == Pace::Fast && !m_awaited.empty()) {
        // A handset too slow for the fast pace gets the specified pace before it is given up.
        FallBackToSpecifiedPace();
        m_link.Resend(m_awaited);
        m_watchdog.Arm(m_replyTimeoutMs);
        return;
    }
    Fail(m_lastSign);
}

// The one way a run ends before its time, whether it cannot go on or is stopped from outside:
// the search stops, steps still waiting are dropped and the port is closed before any message
// shows, so nothing more happens on the line behind it. A failure shows the connection message
// and then its cause, each once.
void SyncEngine::Abandon(RunOutcome outcome, RunFailure cause) {
    if (!m_running) return;
    WindDown();
    DropWaitingInput();
    if (m_port.IsOpen()) m_port.Close();
    m_search.SetPhase(LinkPhase::Idle);
    m_reader.Reset();
    if (outcome == RunOutcome::Failed) {
        m_failure.cause = cause;
        m_failure.portsOpened = m_search.OpenedDevices();
        m_failure.portsDenied = m_search.DeniedDevices();
        // A search that met only refused ports says so rather than that nobody answered.
        if (cause == RunFailure::NoHandset && !m_failure.portsDenied.empty() &&
            m_failure.portsOpened.empty()) {
            m_failure.cause = RunFailure::PortDenied;
        }
    }
    if (m_isReading != 0) m_page.DeleteWorkFile();
    if (outcome == RunOutcome::Failed) {
        m_page.MessageBox(kCheckConnection);
        const std::string why = FailureText(m_failure);
        if (!why.empty()) m_page.MessageBox(why);
    }
    m_page.SetProgressPos(0);
    m_page.EnableControls(true);
    if (m_onRunEnded) m_onRunEnded(outcome);
}

}  // namespace numora

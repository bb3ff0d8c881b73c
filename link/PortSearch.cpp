#include "link/PortSearch.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "text/ParseNumbers.h"

namespace numora {

namespace {

constexpr std::string_view kAtCheck{"at$CHKP\r", 8};
constexpr std::string_view kAtDiagMode{"AT$PCDMG\r\0", 10};

}  // namespace

PortSearch::PortSearch(Port& port, PhoneLink& link, LinkPacer& pacer, Clock& clock,
                       SearchView& page, Profile& profile)
    : m_port(port),
      m_link(link),
      m_pacer(pacer),
      m_page(page),
      m_profile(profile),
      m_timer(clock, pacer, [this] { OnTimer(); }) {}

PortSearch::~PortSearch() {
    Stop();
}

void PortSearch::ChooseFirstPort(const PortTable& discovered) {
    m_linkState = LinkState::Waiting;
    m_lastPort =
        ParseLeadingNumber(m_profile.GetString(kPortSection, kPortKey, kPortDefault)).value_or(0);
    for (int n = kMaxPortTable - 1; n >= 0; --n) {
        if (discovered[static_cast<std::size_t>(n)]) {
            m_lastPort = n;
            break;
        }
    }
    m_portNumber = m_lastPort;
    m_page.PortStatus(m_linkState, m_portNumber);
}

// A probe that could not be written is like one not answered: the timer moves on.
void PortSearch::SendAtCheck() {
    m_port.Write({reinterpret_cast<const uint8_t*>(kAtCheck.data()), kAtCheck.size()});
}

void PortSearch::SendAtDiagMode() {
    m_port.Write({reinterpret_cast<const uint8_t*>(kAtDiagMode.data()), kAtDiagMode.size()});
}

void PortSearch::BeginRun() {
    m_opened.clear();
    m_denied.clear();
}

// Each device is listed once, however many port numbers stand for it.
bool PortSearch::NoteOpen(bool opened) {
    const std::string device = m_port.DeviceName("COM" + std::to_string(m_portNumber));
    if (device.empty()) return false;
    std::vector<std::string>& met = opened ? m_opened : m_denied;
    if (!opened && m_port.LastOpenError() != OpenError::Denied) return false;
    if (std::find(met.begin(), met.end(), device) == met.end()) {
        met.push_back(device);
        return false;
    }
    return !opened;
}

void PortSearch::TryOpenPort() {
    if (m_port.IsOpen()) m_port.Close();
    m_linkPhase = LinkPhase::Probing;
    const bool opened = m_port.Open("COM" + std::to_string(m_portNumber), kBaudRate);
    const bool deniedAgain = NoteOpen(opened);
    if (opened) {
        m_linkState = LinkState::Opened;
        m_page.PortStatus(m_linkState, m_portNumber);
        m_link.EndSession();
        // A newly opened handset needs a moment after its first command.
        m_pacer.Pause(kFirstCommandPauseMs);
        m_pacer.Do([this] {
            SendAtCheck();
            m_timer.Arm(kProbeIntervalMs);
        });
    } else {
        m_linkState = LinkState::OpenFailed;
        m_page.PortStatus(m_linkState, m_portNumber);
        m_timer.Arm(kOpenFailedIntervalMs);
        if (m_portNumber > kHighestPort) m_portNumber = 0;
    }
    if (deniedAgain && m_onDenied) m_onDenied();
}

void PortSearch::Stop() {
    m_timer.Stop();
}

void PortSearch::OnTimer() {
    if (m_linkState != LinkState::Answered) {
        NextPort();
        return;
    }
    Stop();
    EnterFramedMode();
}

// The numbers run from 1 to 50 and round again, whatever moved the search on.
void PortSearch::NextPort() {
    if (m_port.IsOpen()) m_port.Close();
    m_portNumber = m_portNumber >= kHighestPort ? 1 : m_portNumber + 1;
    TryOpenPort();
}

void PortSearch::EnterFramedMode() {
    m_link.SwitchMode(1);
    m_linkPhase = LinkPhase::Framed;
    if (m_onFramed) m_onFramed();
}

bool PortSearch::HasOk(std::span<const uint8_t> block) {
    // The block is read as text: it ends at its first zero byte.
    const auto end = std::find(block.begin(), block.end(), uint8_t{0});
    const std::string_view text(reinterpret_cast<const char*>(block.data()),
                                static_cast<std::size_t>(end - block.begin()));
    return text.find("OK") != std::string_view::npos;
}

void PortSearch::OnPhoneData(std::span<const uint8_t> block) {
    if (m_linkPhase == LinkPhase::Probing) {
        if (m_linkState != LinkState::Opened) return;
        if (HasOk(block)) {
            m_linkState = LinkState::Answered;
            m_lastPort = m_portNumber;
            m_linkPhase = LinkPhase::ModeSent;
            m_page.PortStatus(m_linkState, m_portNumber);
            m_profile.SetString(kPortSection, kPortKey, std::to_string(m_portNumber));
            m_page.CloseSearchDialog();
            m_page.StepProgress();
            SendAtDiagMode();
        } else if (m_probeRetries <= kProbeRetries) {
            ++m_probeRetries;
            SendAtCheck();
        } else {
            m_probeRetries = 0;
            NextPort();
        }
    } else if (m_linkPhase == LinkPhase::ModeSent) {
        if (HasOk(block)) EnterFramedMode();
    }
}

std::string PortStatusText(LinkState state, int port) {
    switch (state) {
        case LinkState::Waiting:
            return " Waiting...";
        case LinkState::OpenFailed:
            return " Port Searching...";
        case LinkState::Opened:
            return " COM" + std::to_string(port) + " Port Open...";
        case LinkState::Answered:
            return " COM" + std::to_string(port) + " Port Connect...";
    }
    return {};
}

}  // namespace numora

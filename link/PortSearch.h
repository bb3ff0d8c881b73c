// Finding the handset: the port search opens one port after another, probes each with AT text
// and waits for "OK", then switches the handset into framed mode. A timer drives it; replies
// in the probing phases come here from the page.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/Clock.h"
#include "link/PacedTimer.h"
#include "link/Pacer.h"
#include "link/PhoneLink.h"
#include "link/Port.h"
#include "link/Profile.h"
#include "link/SearchView.h"

namespace numora {

// The page's link phase: what received data means.
enum class LinkPhase {
    Idle,      // received data is ignored
    Probing,   // an AT probe is out
    Framed,    // framed command mode: replies belong to the engine
    ModeSent,  // the mode switch text is out
};

constexpr int kHighestPort = 50;
constexpr int kMaxPortTable = 256;
constexpr int kProbeRetries = 3;
constexpr int kBaudRate = 115200;
constexpr int kFirstCommandPauseMs = 1000;
constexpr int kProbeIntervalMs = 2000;
constexpr int kOpenFailedIntervalMs = 1000;

using PortTable = std::array<bool, kMaxPortTable>;

// How long one sweep of COM1 to COM50 takes when so many of the ports open (each opened port is
// probed for its first command's pause and the probe interval, each other one costs the open
// failure's interval). A search is given at least this long, so that it reaches every port.
constexpr int FullSweepMs(int portsThatOpen) {
    const int opened = portsThatOpen < kHighestPort ? portsThatOpen : kHighestPort;
    return kHighestPort * kOpenFailedIntervalMs +
           opened * (kFirstCommandPauseMs + kProbeIntervalMs - kOpenFailedIntervalMs);
}

class PortSearch {
public:
    PortSearch(Port& port, PhoneLink& link, LinkPacer& pacer, Clock& clock, SearchView& page,
               Profile& profile);
    ~PortSearch();
    PortSearch(const PortSearch&) = delete;
    PortSearch& operator=(const PortSearch&) = delete;

    // Picks the first port to try: the remembered one (or 2), unless discovery found handset
    // modems, then the highest of them. Shows " Waiting..." in the search dialog.
    void ChooseFirstPort(const PortTable& discovered);

    // Opens COM<m_portNumber> and starts probing it, and tells the search dialog which port it
    // tries (codes 1 and 2). The first step of every run.
    void TryOpenPort();
    // Forgets the devices met by an earlier run.
    void BeginRun();

    // Received blocks while probing (phase 1) or after the mode switch text (phase 3).
    void OnPhoneData(std::span<const uint8_t> block);

    // Ends the search: the timer stops, nothing more is tried.
    void Stop();

    [[nodiscard]] LinkPhase Phase() const { return m_linkPhase; }
    void SetPhase(LinkPhase phase) { m_linkPhase = phase; }

    // Called each time the search puts the handset into framed mode (mode control 1 sent).
    void SetOnFramed(std::function<void()> fn) { m_onFramed = std::move(fn); }
    // Called when there is nothing left worth trying: a device was refused for lack of
    // permission a second time, and permission does not come back within a run.
    void SetOnDenied(std::function<void()> fn) { m_onDenied = std::move(fn); }

    // What the search met since the last run began: the devices that opened (in the order they
    // first did), and those refused for lack of permission. Each device once.
    const std::vector<std::string>& OpenedDevices() const { return m_opened; }
    const std::vector<std::string>& DeniedDevices() const { return m_denied; }

    void SendAtCheck();
    void SendAtDiagMode();

private:
    void OnTimer();
    void NextPort();
    void EnterFramedMode();
    // Keeps what the open met; true when it is a device refused for the second time.
    bool NoteOpen(bool opened);
    static bool HasOk(std::span<const uint8_t> block);

    Port& m_port;
    PhoneLink& m_link;
    LinkPacer& m_pacer;
    SearchView& m_page;
    Profile& m_profile;
    std::function<void()> m_onFramed;
    std::function<void()> m_onDenied;
    std::vector<std::string> m_opened;
    std::vector<std::string> m_denied;

    int m_portNumber = 2;
    LinkPhase m_linkPhase = LinkPhase::Idle;
    int m_probeRetries = 0;
    LinkState m_linkState = LinkState::Waiting;
    int m_lastPort = 2;
    PacedTimer m_timer;  // the search's tick
};

}  // namespace numora

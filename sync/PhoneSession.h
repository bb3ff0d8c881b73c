// Everything the phone book page holds to talk to the handset, wired together once: the pacer,
// the command set, the port search and the engine, and the path a received block takes. The window
// and the command-line tool each keep one session for as long as they live.
#pragma once

#include <cstdint>
#include <span>

#include "book/PhoneBook.h"
#include "link/Clock.h"
#include "link/Pacer.h"
#include "link/PhoneLink.h"
#include "link/PortSearch.h"
#include "link/Profile.h"
#include "link/SearchView.h"
#include "link/Trace.h"
#include "sync/SyncEngine.h"
#include "sync/SyncView.h"

namespace numora {

// The page a session works on: the port search shows its search there, the engine its runs.
class SessionView : public SyncView, public SearchView {};

class PhoneSession {
public:
    // The handset's password comes from the profile ("Port Setting"/"Password").
    PhoneSession(PhoneBook& book, SessionView& page, Port& port, Clock& clock, Profile& profile);

    // A burst as the port delivered it, escapes still in place.
    void OnReceivedBlock(std::span<uint8_t> raw);
    // The port closed itself: the device went away.
    void OnPortLost() { m_engine.OnPortLost(); }

    // Frames both ways, for --trace and the protocol log.
    void SetTrace(TraceSink* trace);

    LinkPacer& Pacer() { return m_pacer; }
    PortSearch& Search() { return m_search; }
    SyncEngine& Engine() { return m_engine; }

private:
    LinkPacer m_pacer;
    PhoneLink m_link;
    PortSearch m_search;
    SyncEngine m_engine;
    TraceSink* m_trace = nullptr;
};

}  // namespace numora

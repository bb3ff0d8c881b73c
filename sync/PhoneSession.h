// Everything the phone book page holds to talk to the handset, wired together once: the pacer,
// the command set, the port search and the engine, and the path a received block takes. The window
// and the command-line tool each keep one session for as long as they live.
#pragma once

#include <cstdint>
#include <span>

#include "book/PBData.h"
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
class ISessionView : public ISyncView, public ISearchView {};

class CPhoneSession {
public:
    // The handset's password comes from the profile ("Port Setting"/"Password").
    CPhoneSession(CPBData& book, ISessionView& page, IPort& port, IClock& clock, IProfile& profile);

    // A burst as the port delivered it, escapes still in place.
    void OnReceivedBlock(std::span<uint8_t> raw);
    // The port closed itself: the device went away.
    void OnPortLost() { m_engine.OnPortLost(); }

    // Frames both ways, for --trace and the protocol log.
    void SetTrace(ITraceSink* trace);

    CLinkPacer& Pacer() { return m_pacer; }
    CPortSearch& Search() { return m_search; }
    CSyncEngine& Engine() { return m_engine; }

private:
    CLinkPacer m_pacer;
    CPhoneLink m_link;
    CPortSearch m_search;
    CSyncEngine m_engine;
    ITraceSink* m_trace = nullptr;
};

}  // namespace numora

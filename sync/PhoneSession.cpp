#include "sync/PhoneSession.h"

#include "link/FrameCodec.h"

namespace numora {

CPhoneSession::CPhoneSession(CPBData& book, IPageSeam& page, IPort& port, IClock& clock,
                             IProfile& profile)
    : m_pacer(clock),
      m_link(port, m_pacer),
      m_search(port, m_link, m_pacer, clock, page, profile),
      m_engine(book, page, m_link, port, m_search, m_pacer, clock) {}

// The engine reads one reply at a time, from its first byte. A burst can carry two replies
// (the port search's second mode-control answer can land on top of an echo), so the burst is
// cut after each closing flag first: before the escapes are removed, 0x7E is always a flag.
void CPhoneSession::OnReceivedBlock(std::span<uint8_t> raw) {
    std::size_t start = 0;
    do {
        std::size_t end = start;
        while (end < raw.size() && raw[end] != kFrameFlag) ++end;
        if (end < raw.size()) ++end;  // the flag stays with its reply
        const auto piece = raw.subspan(start, end - start);
        const auto reply = piece.first(UnescapeBlock(piece));
        if (m_trace != nullptr) m_trace->Trace(TraceDir::In, reply);
        m_engine.OnPhoneData(reply);
        start = end;
    } while (start < raw.size());
}

void CPhoneSession::SetTrace(ITraceSink* trace) {
    m_trace = trace;
    m_link.SetTrace(trace);
}

}  // namespace numora

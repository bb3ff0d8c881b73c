#include "sync/PhoneSession.h"

#include "link/FrameCodec.h"

namespace numora {

CPhoneSession::CPhoneSession(CPBData& book, IPageSeam& page, IPort& port, IClock& clock,
                             IProfile& profile)
    : m_pacer(clock),
      m_link(port, m_pacer),
      m_search(port, m_link, m_pacer, clock, page, profile),
      m_engine(book, page, m_link, port, m_search, m_pacer, clock) {}

void CPhoneSession::OnReceivedBlock(std::span<uint8_t> raw) {
    const std::size_t length = UnescapeBlock(raw);
    const auto block = raw.first(length);
    if (m_trace != nullptr) m_trace->Trace(TraceDir::In, block);
    m_engine.OnPhoneData(block);
}

void CPhoneSession::SetTrace(ITraceSink* trace) {
    m_trace = trace;
    m_link.SetTrace(trace);
}

}  // namespace numora

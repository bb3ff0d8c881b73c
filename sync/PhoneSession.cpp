#include "sync/PhoneSession.h"

namespace numora {

PhoneSession::PhoneSession(PhoneBook& book, SessionView& page, Port& port, Clock& clock,
                           Profile& profile)
    : m_pacer(clock),
      m_link(port, m_pacer),
      m_search(port, m_link, m_pacer, clock, page, profile),
      m_engine(book, page, m_link, port, m_search, m_pacer, clock) {
    m_link.SetPassword(PasswordFromProfile(profile));
}

void PhoneSession::OnReceivedBlock(std::span<uint8_t> raw) {
    m_engine.OnPhoneData(raw);
}

void PhoneSession::SetTrace(TraceSink* trace) {
    m_trace = trace;
    m_link.SetTrace(trace);
    m_engine.SetTrace(trace);
}

}  // namespace numora

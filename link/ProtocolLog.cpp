#include "link/ProtocolLog.h"

#include "link/TraceFormat.h"

namespace numora {

void ProtocolLog::Trace(TraceDir dir, std::span<const uint8_t> bytes) {
    TraceNote(dir, bytes, {});
}

void ProtocolLog::TraceNote(TraceDir dir, std::span<const uint8_t> bytes, std::string_view note) {
    if (m_lines.size() >= m_maxLines) m_lines.pop_front();
    m_lines.push_back(
        Line{m_clock.NowMs() - m_start, dir, {bytes.begin(), bytes.end()}, std::string(note)});
    if (m_onLine) m_onLine(m_lines.back());
}

void ProtocolLog::StartRun() {
    m_lines.clear();
    m_start = m_clock.NowMs();
}

std::string ProtocolLog::FormatLine(const Line& line) const {
    return FormatTraceLine(line.ms, line.dir, line.bytes, 0, line.note);
}

std::string ProtocolLog::Text() const {
    std::string out;
    for (const Line& line : m_lines) {
        out += FormatLine(line);
        out += '\n';
    }
    return out;
}

}  // namespace numora

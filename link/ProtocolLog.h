// The frames of the last run, kept for the window's protocol log: time since the run began,
// direction, and the bytes, formatted the same way as the tool's --trace.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "link/Clock.h"
#include "link/Trace.h"

namespace numora {

class ProtocolLog : public TraceSink {
public:
    struct Line {
        int64_t ms;
        TraceDir dir;
        std::vector<uint8_t> bytes;
        std::string note;
    };

    // A full write carries under a thousand frames; the limit only guards against a line
    // that never goes quiet.
    explicit ProtocolLog(const Clock& clock, std::size_t maxLines = 20000)
        : m_clock(clock), m_maxLines(maxLines) {}

    void Trace(TraceDir dir, std::span<const uint8_t> bytes) override;
    void TraceNote(TraceDir dir, std::span<const uint8_t> bytes, std::string_view note) override;

    // Forgets the previous run; times count from now.
    void StartRun();

    const std::deque<Line>& Lines() const { return m_lines; }
    std::string FormatLine(const Line& line) const;
    // The whole log as text, one frame a line, for saving.
    std::string Text() const;

    // Called after each new line (the window appends it to its view).
    void SetOnLine(std::function<void(const Line&)> fn) { m_onLine = std::move(fn); }

private:
    const Clock& m_clock;
    std::size_t m_maxLines;
    int64_t m_start = 0;
    std::deque<Line> m_lines;
    std::function<void(const Line&)> m_onLine;
};

}  // namespace numora

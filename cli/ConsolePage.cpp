#include "cli/ConsolePage.h"

#include <cstdio>
#include <system_error>

#include "sync/HandsetFiles.h"

namespace numora {

namespace {

constexpr int kBarWidth = 40;

bool IsCompletion(std::string_view text) {
    return text == kFileReadCompleted || text == kFileSaveCompleted;
}

}  // namespace

ConsolePage::ConsolePage(std::filesystem::path programFolder)
    : m_programFolder(std::move(programFolder)) {}

void ConsolePage::MessageBox(std::string_view text) {
    if (m_quiet && IsCompletion(text)) return;
    if (m_drawn >= 0) {
        std::fputc('\n', stderr);
        m_drawn = -1;
    }
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

void ConsolePage::SetProgressRange(int lo, int hi) {
    m_lo = lo;
    m_hi = hi > lo ? hi : lo + 1;
}

void ConsolePage::SetProgressPos(int pos) {
    m_pos = pos;
    if (m_showProgress) DrawBar();
}

void ConsolePage::DrawBar() {
    if (m_pos <= m_lo) {
        // Back at the start: the operation is over, the bar's line is finished.
        if (m_drawn >= 0) std::fputc('\n', stderr);
        m_drawn = -1;
        return;
    }
    const int span = m_hi - m_lo;
    int filled = (m_pos - m_lo) * kBarWidth / span;
    if (filled < 0) filled = 0;
    if (filled > kBarWidth) filled = kBarWidth;
    if (filled == m_drawn) return;
    m_drawn = filled;
    std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, "########################################",
                 kBarWidth - filled, "", filled * 100 / kBarWidth);
    std::fflush(stderr);
}

void ConsolePage::PortStatus(LinkState state, int port) {
    if (m_verbose) std::fprintf(stderr, "%s\n", PortStatusText(state, port).c_str());
}

void ConsolePage::DeleteWorkFile() {
    // Only ever in the program's own folder; when that is unknown nothing is deleted.
    if (m_programFolder.empty()) return;
    std::error_code ec;
    std::filesystem::remove(m_programFolder / handset::kWorkFile, ec);
}

}  // namespace numora

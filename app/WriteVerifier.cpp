#include "app/WriteVerifier.h"

#include <QString>
#include <QTimer>

#include "book/BookDiff.h"
#include "ui/Modal.h"
#include "ui/PhoneBookPage.h"

namespace numora {

namespace {

constexpr std::size_t kLinesShown = 20;

}  // namespace

WriteVerifier::WriteVerifier(Port& port, Clock& clock, Profile& profile, PhoneBookPage& page,
                             QObject* parent)
    : QObject(parent), m_port(port), m_clock(clock), m_profile(profile), m_page(page) {}

WriteVerifier::~WriteVerifier() {
    if (m_session) m_session->Engine().SetOnRunEnded({});
}

void WriteVerifier::Start(const PortTable& discovered, Pace pace) {
    if (m_session) return;
    m_scratch = PhoneBook();
    m_failure.clear();
    SessionView& seam = *this;
    m_session = std::make_unique<PhoneSession>(m_scratch, seam, m_port, m_clock, m_profile);
    m_session->Engine().SetPace(pace);
    if (m_trace != nullptr) {
        m_trace->TraceNote(TraceDir::Out, {}, kReadBackHeading);
        m_session->SetTrace(m_trace);
    }
    m_session->Engine().SetOnRunEnded([this](RunOutcome outcome) {
        // The session is done with once its run has unwound.
        QTimer::singleShot(0, this, [this, outcome] { OnRunEnded(outcome); });
    });
    m_page.EnableControls(false);
    m_session->Search().ChooseFirstPort(discovered);
    m_session->Engine().OnReadFromPhone();
}

void WriteVerifier::OnPhoneData(std::span<uint8_t> block) {
    if (m_session) m_session->OnReceivedBlock(block);
}

void WriteVerifier::OnPortLost() {
    if (m_session) m_session->OnPortLost();
}

void WriteVerifier::OnRunEnded(RunOutcome outcome) {
    m_session.reset();
    m_page.SetProgressPos(0);
    m_page.EnableControls(true);
    QString text;
    if (outcome != RunOutcome::ReadCompleted) {
        text = QStringLiteral("The book could not be read back to verify the write.");
        if (!m_failure.empty()) text += ' ' + FromBytes(m_failure).trimmed();
    } else if (const auto diffs = CompareBooks(m_page.Book(), m_scratch); diffs.empty()) {
        text = FromBytes(kWrittenAsIs);
    } else {
        text = QStringLiteral("The phone's book differs from the book written:");
        for (std::size_t k = 0; k < diffs.size() && k < kLinesShown; ++k)
            text += '\n' + FromBytes(DifferenceLine(diffs[k]));
        if (diffs.size() > kLinesShown) {
            text += QStringLiteral("\n... and %1 more.").arg(diffs.size() - kLinesShown);
        }
    }
    ShowMessage(m_page.window(), ToBytes(text));
    emit finished();
}

void WriteVerifier::MessageBox(std::string_view text) {
    m_failure = text;
}

void WriteVerifier::SetProgressRange(int lo, int hi) {
    m_page.SetProgressRange(lo, hi);
}

void WriteVerifier::SetProgressPos(int pos) {
    m_page.SetProgressPos(pos);
}

int WriteVerifier::ProgressPos() const {
    return m_page.ProgressPos();
}

}  // namespace numora

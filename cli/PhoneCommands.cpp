#include "cli/PhoneCommands.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <memory>

#if defined(Q_OS_UNIX)
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "cli/BookFiles.h"
#include "cli/ConsolePage.h"
#include "link/CommPort.h"
#include "link/PortMap.h"
#include "link/QtClock.h"
#include "link/QtProfile.h"
#include "link/TraceFormat.h"
#include "sync/PhoneSession.h"

namespace numora {

namespace {

class StderrTrace : public ITraceSink {
public:
    explicit StderrTrace(const IClock& clock) : m_clock(clock) {}
    void Trace(TraceDir dir, std::span<const uint8_t> bytes) override { TraceNote(dir, bytes, {}); }
    void TraceNote(TraceDir dir, std::span<const uint8_t> bytes, std::string_view note) override {
        const std::string line = FormatTraceLine(m_clock.NowMs(), dir, bytes, 0, note);
        std::fprintf(stderr, "%s\n", line.c_str());
    }

private:
    const IClock& m_clock;
};

#if defined(Q_OS_UNIX)
int g_signalPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const char b = 1;
    [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &b, 1);
}

// SIGINT and SIGTERM end the run the way a failure does: through the event loop, so that the
// port is closed and the tool says what the phone holds.
class StopSignals {
public:
    explicit StopSignals(std::function<void()> onStop) {
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
        m_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [onStop] {
            char b = 0;
            [[maybe_unused]] const ssize_t n = read(g_signalPipe[0], &b, 1);
            onStop();
        });
        struct sigaction stop {};
        stop.sa_handler = OnStopSignal;
        sigemptyset(&stop.sa_mask);
        sigaction(SIGINT, &stop, &m_oldInt);
        sigaction(SIGTERM, &stop, &m_oldTerm);
    }
    ~StopSignals() {
        if (!m_notifier) return;
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
        m_notifier.reset();
        close(g_signalPipe[0]);
        close(g_signalPipe[1]);
        g_signalPipe[0] = g_signalPipe[1] = -1;
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};
#else
class StopSignals {
public:
    explicit StopSignals(std::function<void()>) {}
};
#endif

int RunPhone(bool reading, const PhoneOptions& options, const std::filesystem::path& folder) {
    int argc = 1;
    char name[] = "numora-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    CPBData book;
    CConsolePage page(book, folder);
    page.SetShowProgress(options.progress);
    page.SetVerbose(options.trace);
    if (!reading && !LoadBookFile(options.file, book, page)) return 1;
    book.SetMessageSink(&page);

    const CPortMap map = options.port.empty()
                             ? CPortMap::FromSystem()
                             : CPortMap::Pinned(QString::fromStdString(options.port));
    CQtProfile userProfile;
    CPortKeyShield shielded(userProfile);
    IProfile& profile = map.IsPinned() ? static_cast<IProfile&>(shielded) : userProfile;

    CQtClock clock;
    CCommPort port([&map](const std::string& comName) { return map.DeviceFor(comName); });
    CPhoneSession session(book, page, port, clock, profile);
    session.Link().SetPassword(PasswordFromProfile(profile));
    StderrTrace trace(clock);
    if (options.trace) session.SetTrace(&trace);
    port.SetOnBlock([&session](std::span<uint8_t> block) { session.OnReceivedBlock(block); });
    port.SetOnLost([&session] { session.Engine().OnPortLost(); });

    CSyncEngine& engine = session.Engine();
    engine.SetPace(options.pace);
    engine.SetTimeouts(std::max(options.searchTimeoutSec * 1000, map.SweepMs()),
                       kDefaultReplyTimeoutMs);
    RunOutcome outcome = RunOutcome::Failed;
    engine.SetOnRunEnded([&outcome](RunOutcome o) {
        outcome = o;
        QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    });
    const StopSignals stopSignals([&engine] {
        if (engine.Running()) {
            engine.Cancel();
        } else {
            QCoreApplication::quit();
        }
    });

    const QStringList extraIds =
        QString::fromStdString(profile.GetString(kPortSection, "Handset USB IDs", ""))
            .split(',', Qt::SkipEmptyParts);
    session.Search().ChooseFirstPort(map.DiscoverHandsetPorts(extraIds));
    if (reading) {
        engine.OnReadFromPhone();
    } else {
        engine.OnWriteToPhone();
    }
    app.exec();
    port.Close();

    page.SetShowProgress(false);
    if (reading && outcome == RunOutcome::ReadCompleted) {
        std::fprintf(stderr, "Read %d entries from the handset.\n", book.CountUsedEntries());
        return SaveBookFile(options.file, book, page) ? 0 : 1;
    }
    if (outcome == RunOutcome::WriteCompleted) return 0;
    if (outcome == RunOutcome::Cancelled) {
        std::fprintf(stderr, reading ? "Interrupted: the read did not finish, nothing was saved.\n"
                                     : "Interrupted.\n");
    }
    if (engine.PhoneBookBroken()) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(kWriteIncomplete.size()),
                     kWriteIncomplete.data());
    } else if (!reading && outcome == RunOutcome::Cancelled) {
        std::fprintf(stderr, "The phone's phone book was not changed.\n");
    }
    return 1;
}

}  // namespace

bool ParseSearchTimeout(const std::string& text, PhoneOptions& options) {
    int seconds = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (ec != std::errc{} || end != text.data() + text.size()) return false;
    if (seconds < kMinSearchTimeoutSec || seconds > kMaxSearchTimeoutSec) return false;
    options.searchTimeoutSec = seconds;
    return true;
}

bool ParsePace(const std::string& text, PhoneOptions& options) {
    if (text == "specified") {
        options.pace = Pace::Specified;
    } else if (text == "fast") {
        options.pace = Pace::Fast;
    } else {
        return false;
    }
    return true;
}

int RunRead(const PhoneOptions& options, const std::filesystem::path& programFolder) {
    return RunPhone(true, options, programFolder);
}

int RunWrite(const PhoneOptions& options, const std::filesystem::path& programFolder) {
    return RunPhone(false, options, programFolder);
}

}  // namespace numora

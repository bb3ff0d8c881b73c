#include "cli/PhoneCommands.h"

#include "cli/BookListing.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

#if defined(Q_OS_UNIX)
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "book/BookDiff.h"
#include "cli/BookFiles.h"
#include "cli/ConsolePage.h"
#include "cli/StdFiles.h"
#include "history/BookHistory.h"
#include "link/HandsetConnection.h"
#include "link/QtClock.h"
#include "link/TraceFormat.h"
#include "sync/PhoneSession.h"
#include "sync/WriteGuard.h"
#include "text/ParseNumbers.h"

namespace numora {

namespace {

class StderrTrace : public TraceSink {
public:
    explicit StderrTrace(const Clock& clock) : m_clock(clock) {}
    void Trace(TraceDir dir, std::span<const uint8_t> bytes) override { TraceNote(dir, bytes, {}); }
    void TraceNote(TraceDir dir, std::span<const uint8_t> bytes, std::string_view note) override {
        const std::string line = FormatTraceLine(m_clock.NowMs(), dir, bytes, 0, note);
        std::fprintf(stderr, "%s\n", line.c_str());
    }

private:
    const Clock& m_clock;
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
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated,
                         [onStop = std::move(onStop)] {
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

// What a run is for: a read for the user, a write, or the read-back that verifies a write.
enum class RunPurpose { Read, Write, Verify };

// One read into the book, or one write of it, on the event loop of the caller's application.
RunOutcome RunSession(RunPurpose purpose, const PhoneOptions& options,
                      const std::filesystem::path& folder, PhoneBook& book) {
    const bool reading = purpose != RunPurpose::Write;
    ConsolePage page(folder);
    page.SetShowProgress(options.progress);
    page.SetVerbose(options.trace);
    MessageSink* const sink = book.Messages();
    book.SetMessageSink(&page);

    HandsetConnection connection({}, QString::fromStdString(options.port));
    QtClock clock;
    PhoneSession session(book, page, connection.SerialPort(), clock, connection.SessionProfile());
    StderrTrace trace(clock);
    if (options.trace) session.SetTrace(&trace);
    connection.DeliverTo(session);

    SyncEngine& engine = session.Engine();
    engine.SetPace(options.pace);
    engine.SetTimeouts(connection.SearchTimeoutMs(options.searchTimeoutSec * 1000),
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

    session.Search().ChooseFirstPort(connection.DiscoverPorts());
    if (reading) {
        engine.OnReadFromPhone();
    } else {
        engine.OnWriteToPhone();
    }
    QCoreApplication::exec();
    connection.Release();
    page.SetShowProgress(false);
    book.SetMessageSink(sink);
    if (outcome == RunOutcome::Cancelled) {
        switch (purpose) {
            case RunPurpose::Read:
                std::fputs("Interrupted: the read did not finish, nothing was saved.\n", stderr);
                break;
            case RunPurpose::Write:
                std::fputs("Interrupted.\n", stderr);
                break;
            case RunPurpose::Verify:
                std::fputs("Interrupted: the write completed; its verification did not.\n", stderr);
                break;
        }
    }
    if (engine.PhoneBookBroken()) {
        std::fprintf(stderr, "%s\n", WriteStoppedMessage(engine.Holds()).c_str());
    } else if (!reading && outcome == RunOutcome::Cancelled) {
        std::fprintf(stderr, "The phone's phone book was not changed.\n");
    }
    return outcome;
}

struct ConsoleApp {
    int argc = 1;
    char name[11] = "numora-cli";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
};

// A snapshot that cannot be stored is said once and never stops the run.
void Keep(BookHistory& history, const PhoneBook& book, const char* what) {
    history.Record(book, QString::fromLatin1(what));
    const QString failure = history.TakeFailure();
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "The book could not be kept in the history: %s.\n",
                     failure.toLocal8Bit().constData());
    }
}

// Reads the handset's book into a scratch book; nothing when the read fails.
std::optional<PhoneBook> ReadScratch(RunPurpose purpose, const PhoneOptions& options,
                                     const std::filesystem::path& folder, BookHistory& history) {
    PhoneBook scratch;
    if (RunSession(purpose, options, folder, scratch) != RunOutcome::ReadCompleted) return {};
    Keep(history, scratch, history::kRead);
    return scratch;
}

// A write that would leave the handset with no entries, or take many of those it held when last
// read or written, is made only when asked for with --force; false with the reason said.
// A forced write still says what it takes away, and goes ahead.
bool WriteLooksSafe(const PhoneBook& book, BookHistory& history, bool forced) {
    PhoneBook held;
    const auto snapshot = history.NewestFromPhone(held);
    const WriteRisk risk = AssessWrite(book, snapshot ? &held : nullptr);
    if (risk.kind == WriteRisk::Kind::None) return true;
    std::fprintf(stderr, "%s\n", WriteRiskText(risk).c_str());
    if (forced) return true;
    if (snapshot) {
        std::fprintf(stderr, "The handset's book as last %s is kept in the history as @%s.\n",
                     snapshot->what == QLatin1String(history::kRead) ? "read" : "written",
                     snapshot->id.toLocal8Bit().constData());
    }
    std::fputs("Nothing was written to the handset. Give --force to write it anyway.\n", stderr);
    return false;
}

void PrintDifferences(const std::vector<BookDifference>& diffs) {
    for (const BookDifference& d : diffs)
        PrintBookText(DifferenceLine(d) + "\n");
}

}  // namespace

bool ParseSearchTimeout(const std::string& text, PhoneOptions& options) {
    const std::optional<int> seconds = ParseWholeNumber(text);
    if (!seconds || *seconds < kMinSearchTimeoutSec || *seconds > kMaxSearchTimeoutSec)
        return false;
    options.searchTimeoutSec = *seconds;
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
    ConsoleApp app;
    BookHistory history;
    PhoneBook book;
    // The book read goes to a file; a file that cannot be written is found before the run.
    if (std::string reason; !CanSaveToPath(options.file, reason)) {
        ConsolePage page(programFolder);
        ShowSaveFailure(page, options.file, reason);
        return 1;
    }
    if (RunSession(RunPurpose::Read, options, programFolder, book) != RunOutcome::ReadCompleted) {
        return 1;
    }
    std::fprintf(stderr, "Read %d entries from the handset.\n", book.CountUsedEntries());
    Keep(history, book, history::kRead);
    ConsolePage page(programFolder);
    page.SetQuiet(options.quietFiles);
    if (SaveBookFile(options.file, book, page)) return 0;
    if (!history.LastId().isEmpty()) {
        std::fprintf(stderr, "The book read is kept in the history as @%s.\n",
                     history.LastId().toLocal8Bit().constData());
    }
    return 1;
}

int RunWrite(const PhoneOptions& options, const std::filesystem::path& programFolder) {
    ConsoleApp app;
    BookHistory history;
    PhoneBook book;
    {
        ConsolePage page(programFolder);
        page.SetQuiet(options.quietFiles);
        bool damaged = false;
        if (!LoadBookFile(options.file, book, page, &damaged)) return 1;
        if (damaged && !options.force) {
            std::fprintf(stderr, "%s\n", kDamagedNotWritten);
            return 1;
        }
    }
    if (options.dryRun) {
        // The write's own record assembly adjusts codes the handset cannot hold: compare with
        // the book as it would go out.
        PhoneBook outgoing = book;
        for (int i = 0; i < kEntrySlots; ++i) {
            if (outgoing.IsValidEntry(i)) outgoing.MakeEntryRecord(i);
        }
        const auto phone = ReadScratch(RunPurpose::Read, options, programFolder, history);
        if (!phone) return 1;
        const auto diffs = CompareBooks(*phone, outgoing);
        PrintDifferences(diffs);
        std::fprintf(stderr, diffs.empty() ? "The write would change nothing.\n"
                                           : "Nothing was written (dry run).\n");
        return 0;
    }
    if (!WriteLooksSafe(book, history, options.force)) return 1;
    if (RunSession(RunPurpose::Write, options, programFolder, book) != RunOutcome::WriteCompleted) {
        return 1;
    }
    Keep(history, book, history::kWritten);
    if (!options.verify) return 0;
    const auto phone = ReadScratch(RunPurpose::Verify, options, programFolder, history);
    if (!phone) {
        std::fputs("The book could not be read back to verify the write.\n", stderr);
        return 1;
    }
    const auto diffs = CompareBooks(book, *phone);
    if (diffs.empty()) {
        std::fputs("The phone holds the book as written.\n", stderr);
        return 0;
    }
    std::fputs("The phone's book differs from the book written:\n", stderr);
    PrintDifferences(diffs);
    return 1;
}

}  // namespace numora

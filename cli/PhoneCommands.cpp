#include "cli/PhoneCommands.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <optional>

#include "book/BookDiff.h"
#include "cli/BookFiles.h"
#include "cli/ConsolePage.h"
#include "history/BookHistory.h"
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
    void Trace(TraceDir dir, std::span<const uint8_t> bytes) override {
        const std::string line = FormatTraceLine(m_clock.NowMs(), dir, bytes);
        std::fprintf(stderr, "%s\n", line.c_str());
    }

private:
    const IClock& m_clock;
};

// One read into the book, or one write of it, on the event loop of the caller's application.
RunOutcome RunSession(bool reading, const PhoneOptions& options,
                      const std::filesystem::path& folder, CPBData& book) {
    CConsolePage page(book, folder);
    page.SetShowProgress(options.progress);
    page.SetVerbose(options.trace);
    IMessageSink* const sink = book.MessageSink();
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
    engine.SetTimeouts(options.searchTimeoutSec * 1000, kDefaultReplyTimeoutMs);
    RunOutcome outcome = RunOutcome::Failed;
    engine.SetOnRunEnded([&outcome](RunOutcome o) {
        outcome = o;
        QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
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
    QCoreApplication::exec();
    port.Close();
    page.SetShowProgress(false);
    book.SetMessageSink(sink);
    return outcome;
}

struct ConsoleApp {
    int argc = 1;
    char name[11] = "numora-cli";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
};

// A snapshot that cannot be stored is said once and never stops the run.
void Keep(CBookHistory& history, const CPBData& book, const char* what) {
    history.Record(book, QString::fromLatin1(what));
    const QString failure = history.TakeFailure();
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "The book could not be kept in the history: %s.\n",
                     failure.toLocal8Bit().constData());
    }
}

// Reads the handset's book into a scratch book; nothing when the read fails.
std::optional<CPBData> ReadScratch(const PhoneOptions& options, const std::filesystem::path& folder,
                                   CBookHistory& history) {
    CPBData scratch;
    if (RunSession(true, options, folder, scratch) != RunOutcome::ReadCompleted) return {};
    Keep(history, scratch, history::kRead);
    return scratch;
}

void PrintDifferences(const std::vector<BookDifference>& diffs) {
    for (const BookDifference& d : diffs)
        std::printf("%s\n", DifferenceLine(d).c_str());
}

}  // namespace

int RunRead(const PhoneOptions& options, const std::filesystem::path& programFolder) {
    ConsoleApp app;
    CBookHistory history;
    CPBData book;
    if (RunSession(true, options, programFolder, book) != RunOutcome::ReadCompleted) return 1;
    std::fprintf(stderr, "Read %d entries from the handset.\n", book.CountUsedEntries());
    Keep(history, book, history::kRead);
    CConsolePage page(book, programFolder);
    return SaveBookFile(options.file, book, page) ? 0 : 1;
}

int RunWrite(const PhoneOptions& options, const std::filesystem::path& programFolder) {
    ConsoleApp app;
    CBookHistory history;
    CPBData book;
    {
        CConsolePage page(book, programFolder);
        if (!LoadBookFile(options.file, book, page)) return 1;
    }
    if (options.dryRun) {
        // The write's own record assembly adjusts codes the handset cannot hold: compare with
        // the book as it would go out.
        CPBData outgoing = book;
        for (int i = 0; i < kEntrySlots; ++i) {
            if (outgoing.IsValidEntry(i)) outgoing.MakeEntryRecord(i);
        }
        const auto phone = ReadScratch(options, programFolder, history);
        if (!phone) return 1;
        const auto diffs = CompareBooks(*phone, outgoing);
        PrintDifferences(diffs);
        std::fprintf(stderr, diffs.empty() ? "The write would change nothing.\n"
                                           : "Nothing was written (dry run).\n");
        return 0;
    }
    if (RunSession(false, options, programFolder, book) != RunOutcome::WriteCompleted) return 1;
    Keep(history, book, history::kWritten);
    if (!options.verify) return 0;
    const auto phone = ReadScratch(options, programFolder, history);
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

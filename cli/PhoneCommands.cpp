#include "cli/PhoneCommands.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTimer>
#include <cstdio>

#include "cli/BookFiles.h"
#include "cli/ConsolePage.h"
#include "cli/StdFiles.h"
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

int RunPhone(bool reading, const PhoneOptions& options, const std::filesystem::path& folder) {
    int argc = 1;
    char name[] = "numora-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    CPBData book;
    CConsolePage page(book, folder);
    page.SetShowProgress(options.progress);
    page.SetVerbose(options.trace);
    bool damaged = false;
    if (!reading && !LoadBookFile(options.file, book, page, &damaged)) return 1;
    if (damaged && !options.force) {
        std::fprintf(stderr, "%s\n", kDamagedNotWritten);
        return 1;
    }
    // The book read goes to a file; a file that cannot be written is found before the run.
    if (reading && !CanSaveToPath(options.file)) {
        page.MessageBox(kFileSaveFailed);
        return 1;
    }
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
    app.exec();
    port.Close();

    page.SetShowProgress(false);
    if (reading && outcome == RunOutcome::ReadCompleted) {
        std::fprintf(stderr, "Read %d entries from the handset.\n", book.CountUsedEntries());
        return SaveBookFile(options.file, book, page) ? 0 : 1;
    }
    return outcome == (reading ? RunOutcome::ReadCompleted : RunOutcome::WriteCompleted) ? 0 : 1;
}

}  // namespace

int RunRead(const PhoneOptions& options, const std::filesystem::path& programFolder) {
    return RunPhone(true, options, programFolder);
}

int RunWrite(const PhoneOptions& options, const std::filesystem::path& programFolder) {
    return RunPhone(false, options, programFolder);
}

}  // namespace numora

// numora-cli sync: two-way sync of a book (a file, or the handset's) with a CardDAV address
// book.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#if defined(Q_OS_UNIX)
#include <termios.h>
#include <unistd.h>
#endif

#include "addressbook/PlanListing.h"
#include "book/BookDiff.h"
#include "carddav/AddressBookSync.h"
#include "carddav/Passwords.h"
#include "cli/BookFiles.h"
#include "cli/Command.h"
#include "cli/ConsolePage.h"
#include "cli/PhoneCommands.h"
#include "history/BookHistory.h"
#include "numbers/PhoneNumbers.h"
#include "text/ParseNumbers.h"

namespace numora {

namespace {

constexpr char kPasswordVariable[] = "NUMORA_CARDDAV_PASSWORD";

std::optional<QString> PromptPassword(const QString& user, const QString& host) {
#if defined(Q_OS_UNIX)
    FILE* tty = std::fopen("/dev/tty", "r+");
    if (tty == nullptr) return std::nullopt;
    std::fprintf(tty, "Password for %s at %s: ", user.toLocal8Bit().constData(),
                 host.toLocal8Bit().constData());
    std::fflush(tty);
    termios old{};
    const bool quiet = tcgetattr(fileno(tty), &old) == 0;
    if (quiet) {
        termios silent = old;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(fileno(tty), TCSAFLUSH, &silent);
    }
    char line[1024] = {};
    const bool got = std::fgets(line, sizeof line, tty) != nullptr;
    if (quiet) tcsetattr(fileno(tty), TCSAFLUSH, &old);
    std::fputs("\n", tty);
    std::fclose(tty);
    if (!got) return std::nullopt;
    QString password = QString::fromLocal8Bit(line);
    while (password.endsWith('\n') || password.endsWith('\r'))
        password.chop(1);
    return password;
#else
    Q_UNUSED(user);
    Q_UNUSED(host);
    return std::nullopt;
#endif
}

// --same / --different: "SLOT=HREF".
bool TakeAnswers(const std::vector<std::string>& values, bool same, std::vector<PairAnswer>& out) {
    for (const std::string& v : values) {
        const auto eq = v.find('=');
        if (eq == 0 || eq == std::string::npos) return false;
        const auto slot = ParseWholeNumber(v.substr(0, eq));
        if (!slot || *slot < 0 || *slot >= kEntrySlots) return false;
        out.push_back({*slot, v.substr(eq + 1), same});
    }
    return true;
}

// A reason as the end of a sentence: one full stop.
QByteArray Sentence(QString why) {
    while (why.endsWith('.'))
        why.chop(1);
    return (why + '.').toLocal8Bit();
}

// A line of the listing, on stdout before any word that follows on stderr.
void Say(const std::string& line) {
    std::fprintf(stdout, "%s\n", line.c_str());
    std::fflush(stdout);
}

// Starts a step of the sync and runs the event loop until it reports one of its ends; false
// when it failed.
bool RunStep(AddressBookSync& sync, bool planning, const std::function<void()>& start,
             QString& why) {
    bool ok = false;
    QEventLoop loop;
    const auto done = [&](bool success) {
        ok = success;
        loop.quit();
    };
    QObject::connect(&sync, planning ? &AddressBookSync::planned : &AddressBookSync::applied, &loop,
                     [&] { done(true); });
    QObject::connect(&sync, &AddressBookSync::failed, &loop, [&](const QString& reason) {
        why = reason;
        done(false);
    });
    QTimer::singleShot(0, &loop, start);
    loop.exec();
    return ok;
}

class SyncCommand : public Command {
public:
    std::string_view Name() const override { return "sync"; }
    std::string_view Synopsis() const override {
        return "(BOOK | --port DEV) --server URL --user NAME [--addressbook NAME] "
               "[--category NAME] [--prefer book|server] [--allow-deletes] [--start-over] "
               "[--dry-run] [--region CC] [--trace]";
    }
    std::string_view Help() const override {
        return "Two-way sync of BOOK (or the handset's book) with a CardDAV address book.\n"
               "Changes on either side go to the other, field by field; what the handset holds\n"
               "only in part stays on the server. Entries and cards never synced are paired as\n"
               "merge pairs them: the same person is merged, a likely pair (a shared number under\n"
               "other names, the same name with other numbers) waits for --same or --different,\n"
               "and the answer is remembered. Lists what changed on each side. The password\n"
               "comes from $NUMORA_CARDDAV_PASSWORD, --password-file, the desktop's keyring, or a\n"
               "prompt. Exit status 0 when synced, 1 when it stopped (too many deletions, or an\n"
               "unresolved conflict with --dry-run), 2 on error.\n";
    }
    void Declare(CommandLine& line) override {
        const auto opt = [&line](const char* name, const char* help, const char* value = "") {
            line.Option({QString::fromLatin1(name)}, QString::fromLatin1(help),
                        QString::fromLatin1(value));
        };
        opt("port", "Sync the handset's book on this device, and write it back.", "DEV");
        opt("server", "The server's address, or the address book's URL.", "URL");
        opt("user", "The user name on the server.", "NAME");
        opt("addressbook", "The address book, by name, when the server has several.", "NAME");
        opt("category", "Only the contacts of this category.", "NAME");
        opt("prefer", "Who wins a conflict: server (the default) or book.", "SIDE");
        opt("allow-deletes", "Go on when the sync deletes more than 5 contacts or a tenth.");
        opt("start-over",
            "Pair the book and the address book afresh, as a first sync: for another book or "
            "another --category than last time.");
        opt("dry-run", "Change nothing; list what would change.");
        opt("region", "The home region numbers are dialled from (two letters).", "CC");
        opt("trace", "Every HTTP request and its status on stderr.");
        opt("password-file", "Read the password from the first line of FILE.", "FILE");
        opt("ca-file", "Trust the certificate authority in FILE (PEM).", "FILE");
        opt("timeout", "Seconds to wait for each answer (30).", "SEC");
        opt("same", "A likely pair is one person: SLOT=HREF (repeatable; remembered).", "PAIR");
        opt("different", "A likely pair is two people: SLOT=HREF (repeatable; remembered).",
            "PAIR");
    }

    int Run(const CommandLine& line, const CliContext& context) override {
        const auto args = line.Positional();
        const std::string port = line.Value(QStringLiteral("port"));
        if (args.size() + (port.empty() ? 0 : 1) != 1) {
            return line.UsageError("one book: a file, or --port DEV");
        }
        SyncSettings settings;
        settings.server =
            QUrl::fromUserInput(QString::fromStdString(line.Value(QStringLiteral("server"))));
        settings.user = QString::fromStdString(line.Value(QStringLiteral("user")));
        if (!line.IsSet(QStringLiteral("server")) || settings.user.isEmpty()) {
            return line.UsageError("--server URL and --user NAME");
        }
        settings.addressBook = QString::fromStdString(line.Value(QStringLiteral("addressbook")));
        settings.category = line.Value(QStringLiteral("category"));
        const std::string prefer = line.Value(QStringLiteral("prefer"));
        if (!prefer.empty() && prefer != "book" && prefer != "server") {
            return line.UsageError("--prefer takes book or server");
        }
        settings.preferBook = prefer == "book";
        settings.startOver = line.IsSet(QStringLiteral("start-over"));
        const std::string region = line.Value(QStringLiteral("region"));
        if (!region.empty() && !IsKnownRegion(region)) {
            return line.UsageError("--region takes a region code such as DE or FR");
        }
        settings.region = !region.empty()
                              ? region
                              : HomeRegionFromLocale(qgetenv("LC_ALL").toStdString(),
                                                     qgetenv("LC_TELEPHONE").toStdString(),
                                                     qgetenv("LANG").toStdString());
        if (line.IsSet(QStringLiteral("timeout"))) {
            const auto t = ParseWholeNumber(line.Value(QStringLiteral("timeout")));
            if (!t || *t < 1 || *t > 600)
                return line.UsageError("--timeout takes 1 to 600 seconds");
        }
        if (!TakeAnswers(line.Values(QStringLiteral("same")), true, settings.answers) ||
            !TakeAnswers(line.Values(QStringLiteral("different")), false, settings.answers)) {
            return line.UsageError("--same and --different take SLOT=HREF");
        }
        // The book: a file, or the handset's, read into a scratch file first.
        std::optional<QTemporaryDir> scratch;
        if (!port.empty()) scratch.emplace();
        const std::string bookPath =
            port.empty()
                ? args[0]
                : QDir(scratch->path()).filePath(QStringLiteral("handset.pb")).toStdString();
        PhoneOptions phone;
        phone.port = port;
        phone.file = bookPath;
        phone.progress = false;
        phone.quietFiles = true;
        if (!port.empty() && RunRead(phone, context.programFolder) != 0) return 2;
        bool changed = false;
        const int status = Sync(line, settings, bookPath, context, changed);
        // The handset is written once the sync's own application is gone: the write runs its own.
        if (changed && !port.empty() && RunWrite(phone, context.programFolder) != 0) return 2;
        return status;
    }

private:
    int Sync(const CommandLine& line, const SyncSettings& settings, const std::string& bookPath,
             const CliContext& context, bool& changed) {
        const bool dryRun = line.IsSet(QStringLiteral("dry-run"));
        const bool trace = line.IsSet(QStringLiteral("trace"));
        const std::string prefer = line.Value(QStringLiteral("prefer"));
        int timeoutSec = 30;
        if (line.IsSet(QStringLiteral("timeout"))) {
            timeoutSec = ParseWholeNumber(line.Value(QStringLiteral("timeout"))).value_or(30);
        }
        int argc = 1;
        char name[] = "numora-cli";
        char* argv[] = {name, nullptr};
        QCoreApplication app(argc, argv);

        // The password, never from the command line itself; asked for on the terminal only when
        // the server wants one (a server on this machine may have none).
        std::optional<QString> password;
        if (qEnvironmentVariableIsSet(kPasswordVariable)) {
            password = qEnvironmentVariable(kPasswordVariable);
        } else if (line.IsSet(QStringLiteral("password-file"))) {
            QFile file(QString::fromStdString(line.Value(QStringLiteral("password-file"))));
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "%s: %s\n", file.fileName().toLocal8Bit().constData(),
                             file.errorString().toLocal8Bit().constData());
                return 2;
            }
            password = QString::fromUtf8(file.readLine()).trimmed();
        } else {
            password = ReadKeyringPassword(KeyringKey(settings.server.toString(), settings.user));
        }

        DavClient client;
        client.SetCredentials(settings.user, password.value_or(QString()));
        client.SetTimeoutMs(timeoutSec * 1000);
        if (line.IsSet(QStringLiteral("ca-file"))) {
            QString error;
            if (!client.AddCaFile(QString::fromStdString(line.Value(QStringLiteral("ca-file"))),
                                  error)) {
                std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
                return 2;
            }
        }
        if (trace) {
            client.SetTrace([](const QString& text) {
                std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
            });
        }

        PhoneBook book;
        {
            ConsolePage page(context.programFolder);
            page.SetQuiet(true);
            if (!LoadBookFile(bookPath, book, page)) return 2;
        }

        const SyncStore store;
        auto sync = std::make_unique<AddressBookSync>(settings, client, store);
        QString why;
        bool prepared = RunStep(
            *sync, true, [&] { sync->Prepare(book); }, why);
        if (!prepared && sync->NeedsPassword() && !password) {
            password = PromptPassword(settings.user, settings.server.host());
            if (!password) {
                std::fprintf(stderr,
                             "No password: the server asks for one; set %s, give "
                             "--password-file, or run on a terminal.\n",
                             kPasswordVariable);
                return 2;
            }
            client.SetCredentials(settings.user, *password);
            sync = std::make_unique<AddressBookSync>(settings, client, store);
            prepared = RunStep(
                *sync, true, [&] { sync->Prepare(book); }, why);
        }
        if (!prepared) {
            if (sync->NeedsStartOver()) {
                std::fprintf(stderr,
                             "The sync stopped: %s Nothing was changed; --start-over pairs the "
                             "book and the address book afresh, as a first sync does.\n",
                             Sentence(why).constData());
                return 1;
            }
            if (!sync->AddressBooks().empty()) {
                why += settings.addressBook.isEmpty()
                           ? QStringLiteral(" with --addressbook NAME")
                           : QStringLiteral(": choose one with --addressbook NAME");
            }
            std::fprintf(stderr, "Sync failed: %s\n", Sentence(why).constData());
            return 2;
        }
        const SyncPlan& plan = sync->Plan();
        const auto stop = sync->DeletionStop();
        const bool stopped = stop && !line.IsSet(QStringLiteral("allow-deletes"));
        // What the sync did is listed once it is done: a card another client changed meanwhile
        // is merged again, and one that failed is not listed as written.
        if (dryRun || stopped || !plan.Changes()) {
            for (const std::string& l : PlanLines(plan))
                Say(l);
        }
        if (!plan.likely.empty()) {
            std::fprintf(stderr,
                         "%zu likely pair(s) (listed) wait for an answer: run again with --same "
                         "SLOT=HREF or --different SLOT=HREF.\n",
                         plan.likely.size());
        }
        for (const PairAnswer& a : settings.answers) {
            const bool used = std::any_of(
                plan.answered.begin(), plan.answered.end(),
                [&](const AnsweredPair& p) { return p.slot == a.slot && p.href == a.href; });
            if (!used) {
                std::fprintf(stderr, "%s %d=%s: not a likely pair of this sync; left aside\n",
                             a.same ? "--same" : "--different", a.slot, a.href.c_str());
            }
        }
        if (stopped) {
            // The answers are about people: they hold whether or not the sync goes on.
            if (!dryRun) sync->KeepAnswers();
            std::fprintf(stderr,
                         "The sync stopped before changing anything: %s (listed above). "
                         "--allow-deletes lets it go on.\n",
                         stop->c_str());
            return 1;
        }
        bool conflicts = false;
        for (const ContactPlan& c : plan.contacts)
            conflicts = conflicts || !c.conflicts.empty();
        if (dryRun) {
            std::fprintf(stderr,
                         plan.Changes() ? "Nothing was changed (dry run).\n" : "Nothing to do.\n");
            return conflicts && prefer.empty() ? 1 : 0;
        }
        if (!plan.Changes()) {
            std::fprintf(stderr, "Nothing to do: the book and the address book agree.\n");
            return 0;
        }
        BookHistory history;
        history.Record(book, QStringLiteral("before an address-book sync"));
        const PhoneBook before = book;
        const bool applied = RunStep(
            *sync, false, [&] { sync->Apply(book); }, why);
        if (sync->BookApplied()) {
            for (const std::string& l : PlanLines(plan, &sync->Done()))
                Say(l);
        }
        for (const QString& p : sync->Problems())
            std::fprintf(stderr, "%s\n", p.toLocal8Bit().constData());
        if (!sync->KeptCardsFile().isEmpty()) {
            std::fprintf(stderr, "The cards as they were are kept in %s\n",
                         sync->KeptCardsFile().toLocal8Bit().constData());
        }
        if (!applied) std::fprintf(stderr, "Sync failed: %s\n", Sentence(why).constData());
        changed = !CompareBooks(before, book).empty();
        if (changed) {
            history.Record(book, QStringLiteral("synced with an address book"));
            ConsolePage page(context.programFolder);
            page.SetQuiet(true);
            if (!SaveBookFile(bookPath, book, page)) return 2;
        }
        if (!applied) return 2;
        std::fprintf(stderr, "Synced.\n");
        return 0;
    }
};

}  // namespace

std::unique_ptr<Command> MakeSyncCommand() {
    return std::make_unique<SyncCommand>();
}

}  // namespace numora

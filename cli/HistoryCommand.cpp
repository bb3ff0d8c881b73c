// numora-cli history: the snapshots of the book's history, one of them as a listing, or one
// brought back into a file.
#include <cstdio>

#include "cli/BookFiles.h"
#include "cli/BookListing.h"
#include "cli/Command.h"
#include "cli/ConsolePage.h"
#include "history/BookHistory.h"

namespace numora {

namespace {

class HistoryCommand : public Command {
public:
    std::string_view Name() const override { return "history"; }
    std::string_view Synopsis() const override { return "[show ID | restore ID -o OUT]"; }
    std::string_view Help() const override {
        return "The snapshots of the book's history, newest first, one a line: id, time, what\n"
               "happened, entries. show lists a snapshot's book as dump does; restore writes it\n"
               "to OUT in the format of its extension. Elsewhere a snapshot is named @ID.\n";
    }
    void Declare(CommandLine& line) override {
        line.Option({QStringLiteral("o")}, QStringLiteral("Where restore writes the book."),
                    QStringLiteral("OUT"));
    }
    int Run(const CommandLine& line, const CliContext& context) override {
        const auto args = line.Positional();
        const std::string out = line.Value(QStringLiteral("o"));
        BookHistory history;
        if (args.empty())
            return out.empty() ? List(history) : line.UsageError("-o without restore");
        if (args.size() != 2 || (args[0] != "show" && args[0] != "restore")) {
            return line.UsageError("show ID or restore ID -o OUT");
        }
        const bool restore = args[0] == "restore";
        if (restore == out.empty()) {
            return line.UsageError(restore ? "restore needs -o OUT" : "show takes no -o");
        }
        std::string id = args[1];
        if (id.starts_with('@')) id.erase(0, 1);
        PhoneBook book;
        ConsolePage page(context.programFolder);
        page.SetQuiet(true);
        QString why;
        if (!history.Load(QString::fromStdString(id), book, false, &why)) {
            std::fprintf(stderr, "%s: %s (in %s)\n", id.c_str(), why.toLocal8Bit().constData(),
                         history.Folder().toLocal8Bit().constData());
            return 1;
        }
        if (restore) return SaveBookFile(out, book, page) ? 0 : 1;
        PrintBookText(BookListing(book));
        return 0;
    }

private:
    static int List(const BookHistory& history) {
        for (const SnapshotInfo& s : history.List()) {
            // A snapshot that cannot be brought back is listed all the same, with the reason.
            const QString time =
                s.time.isValid()
                    ? s.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                    : QStringLiteral("(no time)");
            QString line = QStringLiteral("%1  %2  %3 entries  %4")
                               .arg(s.id, -4)
                               .arg(time, -19)
                               .arg(s.entries, 3)
                               .arg(s.what);
            if (!s.problem.isEmpty()) line += QStringLiteral("  [%1]").arg(s.problem);
            line += '\n';
            std::fputs(line.toLocal8Bit().constData(), stdout);
        }
        return 0;
    }
};

}  // namespace

std::unique_ptr<Command> MakeHistoryCommand() {
    return std::make_unique<HistoryCommand>();
}

}  // namespace numora

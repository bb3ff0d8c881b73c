#include "cli/PrintCommand.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPdfWriter>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "book/PbFile.h"
#include "cli/BookFiles.h"
#include "cli/Command.h"
#include "cli/ConsolePage.h"
#include "cli/ContactsOption.h"
#include "cli/StdFiles.h"
#include "page/PbFileCommands.h"
#include "print/BookPrint.h"
#include "print/DirectoryPrint.h"
#include "text/ParseNumbers.h"

namespace numora {

namespace {

bool ParsePage(std::string_view text, int& page) {
    const std::optional<int> number = ParseWholeNumber(text);
    if (!number || *number < 1) return false;
    page = *number;
    return true;
}

bool ParseStyle(std::string_view text, PrintStyle& style) {
    if (text == "table") {
        style = PrintStyle::Table;
    } else if (text == "directory") {
        style = PrintStyle::Directory;
    } else {
        return false;
    }
    return true;
}

int NothingToPrint() {
    std::fputs("Nothing to print.\n", stderr);
    return 1;
}

// The one place the tool writes a PDF. draw paints the pages on the writer and returns how many
// it drew (0 when the range holds none, -1 on failure); nothing printed leaves no file.
int WritePdf(const std::string& path, ConsolePage& page,
             const std::function<void(QPdfWriter&)>& setUp,
             const std::function<int(QPdfWriter&)>& draw) {
    // Checked before Qt starts, so that a failure shows only the tool's own message.
    std::string reason;
    if (!CanSaveToPath(path, reason)) {
        ShowSaveFailure(page, path, reason);
        return 1;
    }

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Pages need fonts, not a screen: without a display the tool draws offscreen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#endif
    int argc = 1;
    char name[] = "numora-cli";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    // The PDF is made in memory and saved as one step, so a failure leaves any old file as it was.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    int drawn = 0;
    {
        QPdfWriter writer(&pdf);
        setUp(writer);
        writer.setTitle(QStringLiteral("Phone Book"));
        writer.setCreator(QStringLiteral("Numora"));
        drawn = draw(writer);
    }
    if (drawn == 0) return NothingToPrint();
    const QByteArray& bytes = pdf.data();
    if (drawn < 0) {
        page.MessageBox(kFileSaveFailed);
        return 1;
    }
    if (!SaveWholeFile(path,
                       std::span(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size())),
                       reason)) {
        ShowSaveFailure(page, path, reason);
        return 1;
    }
    return 0;
}

}  // namespace

bool ParsePageRange(std::string_view text, int& from, int& to) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) {
        if (!ParsePage(text, from)) return false;
        to = from;
        return true;
    }
    return ParsePage(text.substr(0, dash), from) && ParsePage(text.substr(dash + 1), to) &&
           from <= to;
}

int RunPrint(const PrintOptions& o, const std::filesystem::path& programFolder) {
    PhoneBook book;
    ConsolePage page(programFolder);
    page.SetQuiet(true);
    if (!LoadBookFile(o.in, book, page)) return 1;

    const PrintRowSource rows = [&book](int row) { return EntryRowTexts(book, row); };
    if (o.style == PrintStyle::Directory) {
        const DirectoryPrint job(rows);
        if (job.EntryCount() == 0) return NothingToPrint();
        return WritePdf(o.out, page, SetUpDirectoryPdf, [&](QPdfWriter& writer) {
            return job.Print(writer, o.fromPage, o.toPage);
        });
    }
    const BookPrint job(rows);
    if (job.PageCount() == 0 || o.fromPage > job.PageCount()) return NothingToPrint();
    return WritePdf(o.out, page, SetUpPrintPdf,
                    [&](QPdfWriter& writer) { return job.Print(writer, o.fromPage, o.toPage); });
}

namespace {

class PrintCommand : public Command {
public:
    std::string_view Name() const override { return "print"; }
    std::string_view Synopsis() const override {
        return "[--style table|directory] [--region CC] IN -o OUT.pdf [--pages FROM-TO]";
    }
    std::string_view Help() const override {
        return "Writes the printout of the book's entries as a PDF, the pages the window would\n"
               "print: the ruled table of Ctrl+P, or (--style directory) a phone directory\n"
               "sorted by name; --pages picks pages of it (FROM-TO, or one page N).\n";
    }
    void Declare(CommandLine& line) override {
        line.Option({QStringLiteral("o")}, QStringLiteral("The PDF to write."),
                    QStringLiteral("OUT.pdf"));
        line.Option({QStringLiteral("pages")}, QStringLiteral("The pages to print."),
                    QStringLiteral("FROM-TO"));
        line.Option({QStringLiteral("style")}, QStringLiteral("table (the default) or directory."),
                    QStringLiteral("STYLE"));
        DeclareRegionOption(line);
    }
    int Run(const CommandLine& line, const CliContext& context) override {
        PrintOptions o;
        const auto args = line.Positional();
        o.out = line.Value(QStringLiteral("o"));
        if (args.size() != 1 || o.out.empty()) return line.UsageError("IN and -o OUT.pdf");
        if (std::string why; !TakeRegionOption(line, why)) return line.UsageError(why);
        o.in = args[0];
        if (line.IsSet(QStringLiteral("pages")) &&
            !ParsePageRange(line.Value(QStringLiteral("pages")), o.fromPage, o.toPage)) {
            return line.UsageError("--pages takes FROM-TO or N, counted from 1");
        }
        if (line.IsSet(QStringLiteral("style")) &&
            !ParseStyle(line.Value(QStringLiteral("style")), o.style)) {
            return line.UsageError("--style takes table or directory");
        }
        return RunPrint(o, context.programFolder);
    }
};

}  // namespace

std::unique_ptr<Command> MakePrintCommand() {
    return std::make_unique<PrintCommand>();
}

}  // namespace numora

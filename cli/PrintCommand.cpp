#include "cli/PrintCommand.h"

#include <QFile>
#include <QGuiApplication>
#include <QPdfWriter>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "app/BookPrint.h"
#include "book/PbFile.h"
#include "cli/BookFiles.h"
#include "cli/Command.h"
#include "cli/ConsolePage.h"

namespace numora {

namespace {

bool ParsePage(std::string_view text, int& page) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, page);
    return ec == std::errc() && ptr == end && page >= 1;
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
    CPBData book;
    CConsolePage page(book, programFolder);
    page.SetQuiet(true);
    if (!LoadBookFile(o.in, book, page)) return 1;

    // The pages are counted and the file opened before Qt starts, so that a failure shows only
    // the tool's own message.
    const CBookPrint job([&book](int row) { return EntryRowTexts(book, row); });
    if (job.PageCount() == 0 || o.fromPage > job.PageCount()) {
        std::fputs("Nothing to print.\n", stderr);
        return 1;
    }
    QFile file(QString::fromStdString(o.out));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        page.MessageBox(kFileSaveFailed);
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

    QPdfWriter writer(&file);
    SetUpPrintPdf(writer);
    writer.setTitle(QStringLiteral("Phone Book"));
    writer.setCreator(QStringLiteral("Numora"));
    if (job.Print(writer, o.fromPage, o.toPage) <= 0 || !file.flush()) {
        page.MessageBox(kFileSaveFailed);
        return 1;
    }
    return 0;
}

namespace {

class CPrintCommand : public CCommand {
public:
    std::string_view Name() const override { return "print"; }
    std::string_view Synopsis() const override { return "IN -o OUT.pdf [--pages FROM-TO]"; }
    std::string_view Help() const override {
        return "Writes the printout of the book's entries as a PDF, the pages the window would\n"
               "print; --pages picks pages of it (FROM-TO, or one page N).\n";
    }
    void Declare(CCommandLine& line) override {
        line.Option({QStringLiteral("o")}, QStringLiteral("The PDF to write."),
                    QStringLiteral("OUT.pdf"));
        line.Option({QStringLiteral("pages")}, QStringLiteral("The pages to print."),
                    QStringLiteral("FROM-TO"));
    }
    int Run(const CCommandLine& line, const CliContext& context) override {
        PrintOptions o;
        const auto args = line.Positional();
        o.out = line.Value(QStringLiteral("o"));
        if (args.size() != 1 || o.out.empty()) return line.UsageError("IN and -o OUT.pdf");
        o.in = args[0];
        if (line.IsSet(QStringLiteral("pages")) &&
            !ParsePageRange(line.Value(QStringLiteral("pages")), o.fromPage, o.toPage)) {
            return line.UsageError("--pages takes FROM-TO or N, counted from 1");
        }
        return RunPrint(o, context.programFolder);
    }
};

}  // namespace

std::unique_ptr<CCommand> MakePrintCommand() {
    return std::make_unique<CPrintCommand>();
}

}  // namespace numora

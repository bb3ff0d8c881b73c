#include "cli/PrintCommand.h"

#include <QFile>
#include <QGuiApplication>
#include <QPdfWriter>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "app/BookPrint.h"
#include "app/DirectoryPrint.h"
#include "book/PbFile.h"
#include "cli/BookFiles.h"
#include "cli/ConsolePage.h"

namespace numora {

namespace {

bool ParsePage(std::string_view text, int& page) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, page);
    return ec == std::errc() && ptr == end && page >= 1;
}

bool ParseRange(std::string_view text, int& from, int& to) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) {
        if (!ParsePage(text, from)) return false;
        to = from;
        return true;
    }
    return ParsePage(text.substr(0, dash), from) && ParsePage(text.substr(dash + 1), to) &&
           from <= to;
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
int WritePdf(const std::string& path, CConsolePage& page,
             const std::function<void(QPdfWriter&)>& setUp,
             const std::function<int(QPdfWriter&)>& draw) {
    // The file is opened before Qt starts, so that a failure shows only the tool's own message.
    QFile file(QString::fromStdString(path));
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

    int drawn = 0;
    {
        QPdfWriter writer(&file);
        setUp(writer);
        writer.setTitle(QStringLiteral("Phone Book"));
        writer.setCreator(QStringLiteral("Numora"));
        drawn = draw(writer);
    }
    if (drawn == 0) {
        file.remove();
        return NothingToPrint();
    }
    if (drawn < 0 || !file.flush()) {
        page.MessageBox(kFileSaveFailed);
        return 1;
    }
    return 0;
}

}  // namespace

bool ParsePrintOptions(const std::vector<std::string>& args, PrintOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "-o" && hasValue && o.out.empty()) {
            o.out = args[++i];
        } else if (a == "--pages" && hasValue && o.fromPage == 0) {
            if (!ParseRange(args[++i], o.fromPage, o.toPage)) return false;
        } else if (a == "--style" && hasValue) {
            if (!ParseStyle(args[++i], o.style)) return false;
        } else if (!a.starts_with("-") && o.in.empty()) {
            o.in = a;
        } else {
            return false;
        }
    }
    return !o.in.empty() && !o.out.empty();
}

int RunPrint(const PrintOptions& o, const std::filesystem::path& programFolder) {
    CPBData book;
    CConsolePage page(book, programFolder);
    page.SetQuiet(true);
    if (!LoadBookFile(o.in, book, page)) return 1;

    const PrintRowSource rows = [&book](int row) { return EntryRowTexts(book, row); };
    if (o.style == PrintStyle::Directory) {
        const CDirectoryPrint job(rows);
        if (job.EntryCount() == 0) return NothingToPrint();
        return WritePdf(o.out, page, SetUpDirectoryPdf, [&](QPdfWriter& writer) {
            return job.Print(writer, o.fromPage, o.toPage);
        });
    }
    const CBookPrint job(rows);
    if (job.PageCount() == 0 || o.fromPage > job.PageCount()) return NothingToPrint();
    return WritePdf(o.out, page, SetUpPrintPdf,
                    [&](QPdfWriter& writer) { return job.Print(writer, o.fromPage, o.toPage); });
}

}  // namespace numora

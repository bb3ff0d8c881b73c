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

}  // namespace

bool ParsePrintOptions(const std::vector<std::string>& args, PrintOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "-o" && hasValue && o.out.empty()) {
            o.out = args[++i];
        } else if (a == "--pages" && hasValue && o.fromPage == 0) {
            if (!ParseRange(args[++i], o.fromPage, o.toPage)) return false;
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

}  // namespace numora

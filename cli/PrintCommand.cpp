#include "cli/PrintCommand.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPdfWriter>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "app/BookPrint.h"
#include "book/PbFile.h"
#include "cli/BookFiles.h"
#include "cli/ConsolePage.h"
#include "cli/StdFiles.h"

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
    if (!CanSaveToPath(o.out)) {
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

    // The PDF is made in memory and saved as one step.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    int printed = 0;
    {
        QPdfWriter writer(&pdf);
        SetUpPrintPdf(writer);
        writer.setTitle(QStringLiteral("Phone Book"));
        writer.setCreator(QStringLiteral("Numora"));
        printed = job.Print(writer, o.fromPage, o.toPage);
    }
    const QByteArray& bytes = pdf.data();
    if (printed <= 0 ||
        !SaveWholeFile(o.out, std::span(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                        static_cast<std::size_t>(bytes.size())))) {
        page.MessageBox(kFileSaveFailed);
        return 1;
    }
    return 0;
}

}  // namespace numora

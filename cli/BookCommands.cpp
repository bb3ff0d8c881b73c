// The commands on books in files: dump, convert and diff.
#include <cstdio>
#include <filesystem>

#include "book/BookDiff.h"
#include "cli/BookArgs.h"
#include "cli/BookFiles.h"
#include "cli/BookListing.h"
#include "cli/Command.h"
#include "cli/ConsolePage.h"
#include "cli/ContactsOption.h"
#include "formats/BookFormats.h"
#include "formats/BookJson.h"
#include "text/Ascii.h"

namespace numora {

namespace {

class DumpCommand : public Command {
public:
    std::string_view Name() const override { return "dump"; }
    std::string_view Synopsis() const override { return "[--json] [--region CC] FILE"; }
    std::string_view Help() const override {
        return "The book as a listing, or as JSON, on stdout. FILE may be @ID for a snapshot.\n";
    }
    void Declare(CommandLine& line) override {
        line.Option({QStringLiteral("json")}, QStringLiteral("The book as JSON."));
        DeclareRegionOption(line);
    }
    int Run(const CommandLine& line, const CliContext& context) override {
        const auto args = line.Positional();
        if (args.size() != 1) return line.UsageError("one book to dump");
        if (std::string why; !TakeRegionOption(line, why)) return line.UsageError(why);
        PhoneBook book;
        ConsolePage page(context.programFolder);
        page.SetQuiet(true);
        if (!LoadBookArgument(args[0], book, page)) return 1;
        if (line.IsSet(QStringLiteral("json"))) {
            PrintUtf8(BookToJson(book, StdoutIsTerminal()) + "\n");
        } else {
            PrintBookText(BookListing(book));
        }
        return 0;
    }
};

class ConvertCommand : public Command {
public:
    std::string_view Name() const override { return "convert"; }
    std::string_view Synopsis() const override { return "[--region CC] IN OUT"; }
    std::string_view Help() const override {
        return "Writes the book of IN (or @ID) to OUT, in the format of OUT's extension\n"
               "(.pb, .json, .vcf, .csv, .google.csv, .outlook.csv). Numbers of contacts read\n"
               "from vCard or CSV are made what the handset dials from the home region.\n";
    }
    void Declare(CommandLine& line) override { DeclareRegionOption(line); }
    int Run(const CommandLine& line, const CliContext& context) override {
        const auto args = line.Positional();
        if (args.size() != 2) return line.UsageError("a book to read and a file to write");
        if (std::string why; !TakeRegionOption(line, why)) return line.UsageError(why);
        // An extension of no format would otherwise get a phone-book file under its name.
        const std::string ext = LowerAscii(std::filesystem::path(args[1]).extension().string());
        if (!ext.empty() && ext != ".pb" && FormatOfPath(args[1]) == BookFormat::PhoneBook) {
            return line.UsageError("no format is written as " + ext +
                                   ": .pb, .json, .vcf, .csv, .google.csv or .outlook.csv");
        }
        PhoneBook book;
        ConsolePage page(context.programFolder);
        page.SetQuiet(true);
        if (!LoadBookArgument(args[0], book, page)) return 1;
        return SaveBookFile(args[1], book, page) ? 0 : 1;
    }
};

// Exit status as diff gives it: 0 the same, 1 different, 2 trouble.
class DiffCommand : public Command {
public:
    std::string_view Name() const override { return "diff"; }
    std::string_view Synopsis() const override { return "[--json] [--region CC] A B"; }
    std::string_view Help() const override {
        return "What changes from book A to book B, one line per difference, naming the slot.\n"
               "A and B are files or @ID for a snapshot. Exit status 0 when the books are the\n"
               "same, 1 when they differ, 2 on error.\n";
    }
    void Declare(CommandLine& line) override {
        line.Option({QStringLiteral("json")}, QStringLiteral("The differences as JSON."));
        DeclareRegionOption(line);
    }
    int Run(const CommandLine& line, const CliContext& context) override {
        const auto args = line.Positional();
        if (args.size() != 2) return line.UsageError("two books to compare");
        if (std::string why; !TakeRegionOption(line, why)) return line.UsageError(why);
        PhoneBook a;
        PhoneBook b;
        ConsolePage pageA(context.programFolder);
        ConsolePage pageB(context.programFolder);
        pageA.SetQuiet(true);
        pageB.SetQuiet(true);
        if (!LoadBookArgument(args[0], a, pageA) || !LoadBookArgument(args[1], b, pageB)) {
            return 2;
        }
        const auto diffs = CompareBooks(a, b);
        if (line.IsSet(QStringLiteral("json"))) {
            PrintUtf8(DifferencesJson(diffs) + "\n");
        } else {
            for (const BookDifference& d : diffs)
                PrintBookText(DifferenceLine(d) + "\n");
        }
        return diffs.empty() ? 0 : 1;
    }
};

}  // namespace

std::unique_ptr<Command> MakeDumpCommand() {
    return std::make_unique<DumpCommand>();
}

std::unique_ptr<Command> MakeConvertCommand() {
    return std::make_unique<ConvertCommand>();
}

std::unique_ptr<Command> MakeDiffCommand() {
    return std::make_unique<DiffCommand>();
}

}  // namespace numora

// numora-cli merge and duplicates: contacts merged into a book, one person one entry; and the
// pairs inside one book that are, or may be, one person.
#include <array>
#include <cstdio>
#include <optional>

#include "book/BookDiff.h"
#include "cli/BookArgs.h"
#include "cli/BookFiles.h"
#include "cli/BookListing.h"
#include "cli/Command.h"
#include "cli/ConsolePage.h"
#include "cli/ContactsOption.h"
#include "cli/StdFiles.h"
#include "formats/ContactFiles.h"
#include "history/BookHistory.h"
#include "matching/AnswersFile.h"
#include "matching/MergePlan.h"
#include "text/TextCodec.h"

namespace numora {

namespace {

QString AnswersPath() {
    return PairAnswersPath(BookHistory::DefaultFolder());
}

PairAnswers RememberedAnswers() {
    QString error;
    PairAnswers answers = LoadPairAnswers(AnswersPath(), &error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s; likely pairs are asked again\n", error.toLocal8Bit().constData());
    }
    return answers;
}

// A pair as the options name it: "12=3".
std::optional<std::pair<int, int>> ParsePair(const std::string& text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == text.size()) return std::nullopt;
    try {
        std::size_t used = 0;
        const int a = std::stoi(text.substr(0, eq), &used);
        if (used != eq) return std::nullopt;
        const int b = std::stoi(text.substr(eq + 1), &used);
        if (used != text.size() - eq - 1) return std::nullopt;
        return std::pair(a, b);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

class MergeCommand : public Command {
public:
    std::string_view Name() const override { return "merge"; }
    std::string_view Synopsis() const override {
        return "BOOK CONTACTS... -o OUT [--dry-run] [--prefer book|incoming] [--region CC] "
               "[--same A=B] [--different A=B]";
    }
    std::string_view Help() const override {
        return "Merges the contacts of one or more files (vCard, CSV, JSON or phone-book files)\n"
               "into BOOK (a file or @ID) and writes the result to OUT: one person, one entry.\n"
               "A contact that surely is an entry (a shared number or e-mail, names that agree)\n"
               "fills in what the entry lacks; the others are added in free slots. Listed as diff\n"
               "lists them: the changes, then each conflict (the book's value stays unless\n"
               "--prefer incoming), what does not fit, and the likely pairs (a shared number\n"
               "under other names, the same name with other numbers), each with the options that\n"
               "decide it: --same A=B merges contact B into entry A, --different A=B keeps them\n"
               "apart; answers are remembered. Contacts are numbered from 1 over all the files.\n"
               "--dry-run writes nothing: exit status 0 when nothing would change, 1 when\n"
               "something would, 2 on error.\n";
    }
    void Declare(CommandLine& line) override {
        line.Option({QStringLiteral("o")}, QStringLiteral("Where the merged book is written."),
                    QStringLiteral("OUT"));
        line.Option({QStringLiteral("dry-run")},
                    QStringLiteral("List what would change and write nothing."));
        line.Option({QStringLiteral("prefer")},
                    QStringLiteral("Whose value a conflict keeps: book (the default) or incoming."),
                    QStringLiteral("SIDE"));
        DeclareRegionOption(line);
        line.Option({QStringLiteral("same")},
                    QStringLiteral("Entry A and contact B are the same person."),
                    QStringLiteral("A=B"));
        line.Option({QStringLiteral("different")},
                    QStringLiteral("Entry A and contact B are different people."),
                    QStringLiteral("A=B"));
    }
    int Run(const CommandLine& line, const CliContext& context) override {
        const auto args = line.Positional();
        if (args.size() < 2) return line.UsageError("a book and at least one contacts file");
        const bool dryRun = line.IsSet(QStringLiteral("dry-run"));
        const std::string out = line.Value(QStringLiteral("o"));
        if (out.empty() && !dryRun) return line.UsageError("-o OUT, or --dry-run");
        MergeOptions options;
        const std::string prefer = line.Value(QStringLiteral("prefer"));
        if (!prefer.empty() && prefer != "book" && prefer != "incoming") {
            return line.UsageError("--prefer book or --prefer incoming");
        }
        if (prefer == "incoming") options.prefer = Prefer::Incoming;
        std::string why;
        if (!TakeRegionOption(line, why)) return line.UsageError(why);
        std::vector<std::pair<std::pair<int, int>, Answer>> given;
        for (const auto& [option, answer] :
             {std::pair(QStringLiteral("same"), Answer::SamePerson),
              std::pair(QStringLiteral("different"), Answer::DifferentPeople)}) {
            for (const std::string& text : line.Values(option)) {
                const auto pair = ParsePair(text);
                if (!pair) return line.UsageError("a pair is given as ENTRY=CONTACT, e.g. 12=3");
                given.emplace_back(*pair, answer);
            }
        }

        PhoneBook book;
        ConsolePage page(context.programFolder);
        page.SetQuiet(true);
        if (!LoadBookArgument(args[0], book, page)) return 2;
        const ContactsOptions reading = ContactsReading();
        std::vector<Contact> contacts;
        for (std::size_t f = 1; f < args.size(); ++f) {
            if (!ReadContacts(args[f], *reading.charsets, contacts, args.size() > 2)) return 2;
        }

        NumberKeys keys{reading.numbers};
        PairAnswers answers = RememberedAnswers();
        PairAnswers newAnswers;
        options.answers = &answers;
        MergePlan plan = PlanMerge(book, contacts, keys, options);
        // A pair answered in an earlier merge is asked about no more; an option may still
        // answer it anew, so it is looked for among the pairs no answer has decided too.
        MergeOptions unanswered = options;
        const PairAnswers none;
        unanswered.answers = &none;
        const MergePlan asked =
            given.empty() ? MergePlan{} : PlanMerge(book, contacts, keys, unanswered);
        // An answer may bring up a pair that was not there before; each round takes those
        // the options name.
        while (!given.empty()) {
            const std::size_t before = given.size();
            std::erase_if(given, [&](const auto& g) {
                const std::array<const std::vector<LikelyPair>*, 2> lists{&plan.likely,
                                                                          &asked.likely};
                for (const std::vector<LikelyPair>* likely : lists) {
                    for (const LikelyPair& p : *likely) {
                        if (p.slot != g.first.first || p.other != g.first.second) continue;
                        newAnswers.Set(p.person, p.otherPerson, g.second, keys);
                        answers.Set(p.person, p.otherPerson, g.second, keys);
                        return true;
                    }
                }
                return false;
            });
            if (given.size() == before) {
                std::fprintf(stderr, "numora-cli merge: %d=%d is no likely pair of this merge\n",
                             given.front().first.first, given.front().first.second);
                return 2;
            }
            plan = PlanMerge(book, contacts, keys, options);
        }

        List(plan);
        if (dryRun) return plan.ChangesBook() ? 1 : 0;
        if (!newAnswers.Empty() && !SavePairAnswers(AnswersPath(), answers)) {
            std::fprintf(stderr, "%s: the answers could not be kept\n",
                         AnswersPath().toLocal8Bit().constData());
        }
        ApplyMergePlan(plan, book);
        return SaveBookFile(out, book, page) ? 0 : 2;
    }

private:
    static bool ReadContacts(const std::string& path, const Charsets& charsets,
                             std::vector<Contact>& contacts, bool sayNumbers) {
        std::vector<uint8_t> bytes;
        if (const ReadResult read = ReadWholeFile(path, bytes, kMaxContactsFileBytes);
            read != ReadResult::Done) {
            const std::string_view why =
                read == ReadResult::TooLarge ? kContactsFileTooLarge : kFileOpenFailed;
            std::fprintf(stderr, "%s: %.*s\n", path.c_str(), static_cast<int>(why.size()),
                         why.data());
            if (read == ReadResult::Failed) ReportReadFailure(path, WhyUnreadable(path));
            return false;
        }
        const ContactsOfFile read = ContactsFromFile(
            FormatOfPath(path),
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), charsets);
        if (!read.encoding.empty()) {
            std::fprintf(stderr, "%s: read as %s\n", path.c_str(), read.encoding.c_str());
        }
        for (const std::string& p : read.problems)
            std::fprintf(stderr, "%s: %s\n", path.c_str(), p.c_str());
        if (!read.ok) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), read.error.c_str());
            return false;
        }
        const int first = static_cast<int>(contacts.size()) + 1;
        for (Contact c : read.contacts) {
            c.source = static_cast<int>(contacts.size()) + 1;
            contacts.push_back(std::move(c));
        }
        if (sayNumbers) {
            std::fprintf(stderr, "%s: contacts %d to %d\n", path.c_str(), first,
                         static_cast<int>(contacts.size()));
        }
        return true;
    }

    static void List(const MergePlan& plan) {
        std::string text;
        for (const BookDifference& d : plan.changes)
            text += Latin1ToUtf8(DifferenceLine(d)) + "\n";
        for (const Conflict& c : plan.conflicts)
            text += "conflict: " + Latin1ToUtf8(ConflictLine(c)) + "\n";
        for (const std::string& n : plan.notFitting)
            text += "does not fit: " + n + "\n";
        for (const LikelyPair& p : plan.likely) {
            const std::string pair = std::to_string(p.slot) + "=" + std::to_string(p.other);
            text += "likely: " + Latin1ToUtf8(LikelyLine(p));
            text += " (--same " + pair;
            text += " or --different " + pair + ")\n";
        }
        PrintUtf8(text);
    }
};

// Exit status as diff gives it: 0 no pair, 1 pairs, 2 trouble.
class DuplicatesCommand : public Command {
public:
    std::string_view Name() const override { return "duplicates"; }
    std::string_view Synopsis() const override { return "BOOK [--json] [--region CC]"; }
    std::string_view Help() const override {
        return "The entries of BOOK (a file or @ID) that are one person: sure pairs (a shared\n"
               "number or e-mail, names that agree), which Find Duplicates merges into the lower\n"
               "slot, and likely pairs (a shared number under other names, the same name with\n"
               "other numbers), which it asks about. Pairs answered \"different people\" are left\n"
               "out. Exit status 0 when there is no pair, 1 when there are, 2 on error.\n";
    }
    void Declare(CommandLine& line) override {
        line.Option({QStringLiteral("json")}, QStringLiteral("The pairs as JSON."));
        DeclareRegionOption(line);
    }
    int Run(const CommandLine& line, const CliContext& context) override {
        const auto args = line.Positional();
        if (args.size() != 1) return line.UsageError("one book");
        std::string why;
        if (!TakeRegionOption(line, why)) return line.UsageError(why);
        PhoneBook book;
        ConsolePage page(context.programFolder);
        page.SetQuiet(true);
        if (!LoadBookArgument(args[0], book, page)) return 2;
        NumberKeys keys{ContactsReading().numbers};
        const PairAnswers answers = RememberedAnswers();
        const MergePlan plan = PlanDuplicates(book, keys, {Prefer::Book, &answers});
        if (line.IsSet(QStringLiteral("json"))) {
            PrintUtf8(PairsJson(plan, StdoutIsTerminal()) + "\n");
        } else {
            std::string text;
            for (const MergedPair& p : plan.merged)
                text += "sure: " + MergedLine(p) + "\n";
            for (const LikelyPair& p : plan.likely)
                text += "likely: " + LikelyLine(p) + "\n";
            PrintBookText(text);
        }
        return plan.merged.empty() && plan.likely.empty() ? 0 : 1;
    }
};

}  // namespace

std::unique_ptr<Command> MakeMergeCommand() {
    return std::make_unique<MergeCommand>();
}

std::unique_ptr<Command> MakeDuplicatesCommand() {
    return std::make_unique<DuplicatesCommand>();
}

}  // namespace numora

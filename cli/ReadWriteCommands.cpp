// numora-cli read and write: their options; the runs themselves are in PhoneCommands.cpp.
#include <string>

#include "cli/Command.h"
#include "cli/ContactsOption.h"
#include "cli/PhoneCommands.h"

namespace numora {

namespace {

// The options read and write share.
void DeclarePhoneOptions(CommandLine& line) {
    line.Option({QStringLiteral("port")},
                QStringLiteral("The handset's device; without it the serial ports are searched."),
                QStringLiteral("DEV"));
    line.Option({QStringLiteral("trace")},
                QStringLiteral("Every frame on stderr: time, direction, command, bytes."));
    line.Option({QStringLiteral("timeout")},
                QStringLiteral("How long to look for the handset, in seconds (30; at least one "
                               "sweep of the ports)."),
                QStringLiteral("SEC"));
    line.Option({QStringLiteral("pace")},
                QStringLiteral("specified (the default) or fast: fast leaves out the pauses "
                               "between records and falls back when the handset answers late."),
                QStringLiteral("PACE"));
    line.Option({QStringLiteral("no-progress")}, QStringLiteral("No progress bar on stderr."));
}

// False with the reason when an option's value is not usable.
bool TakePhoneOptions(const CommandLine& line, PhoneOptions& o, std::string& why) {
    o.port = line.Value(QStringLiteral("port"));
    o.trace = line.IsSet(QStringLiteral("trace"));
    o.progress = !line.IsSet(QStringLiteral("no-progress"));
    if (line.IsSet(QStringLiteral("timeout")) &&
        !ParseSearchTimeout(line.Value(QStringLiteral("timeout")), o)) {
        why = "--timeout takes whole seconds from " + std::to_string(kMinSearchTimeoutSec) +
              " to " + std::to_string(kMaxSearchTimeoutSec);
        return false;
    }
    if (line.IsSet(QStringLiteral("pace")) && !ParsePace(line.Value(QStringLiteral("pace")), o)) {
        why = "--pace takes specified or fast";
        return false;
    }
    return true;
}

class ReadCommand : public Command {
public:
    std::string_view Name() const override { return "read"; }
    std::string_view Synopsis() const override {
        return "[--port DEV] [--trace] [--timeout SEC] [--pace fast] [--no-progress] -o OUT";
    }
    std::string_view Help() const override {
        return "Reads the handset's book into OUT, and keeps it in the history.\n";
    }
    void Declare(CommandLine& line) override {
        DeclarePhoneOptions(line);
        line.Option({QStringLiteral("o")}, QStringLiteral("Where the book goes."),
                    QStringLiteral("OUT"));
    }
    int Run(const CommandLine& line, const CliContext& context) override {
        PhoneOptions options;
        std::string why;
        if (!TakePhoneOptions(line, options, why)) return line.UsageError(why);
        options.file = line.Value(QStringLiteral("o"));
        if (options.file.empty() || !line.Positional().empty()) {
            return line.UsageError("-o OUT and nothing else");
        }
        return RunRead(options, context.programFolder);
    }
};

class WriteCommand : public Command {
public:
    std::string_view Name() const override { return "write"; }
    std::string_view Synopsis() const override {
        return "[--port DEV] [--trace] [--timeout SEC] [--pace fast] [--no-progress] "
               "[--dry-run | --verify] [--force] [--region CC] IN";
    }
    std::string_view Help() const override {
        return "Replaces the handset's book with the book of IN, and keeps it in the history.\n"
               "--dry-run reads the handset's book instead and lists what the write would\n"
               "change; --verify reads the book back after the write and compares (exit status\n"
               "1 and the differences when the handset holds another book). Without --force, a\n"
               "book whose file is damaged is refused, and so is a write that would leave the\n"
               "handset with no entries or remove more than 5 (or a tenth) of the entries it\n"
               "held when last read or written.\n";
    }
    void Declare(CommandLine& line) override {
        DeclarePhoneOptions(line);
        line.Option({QStringLiteral("dry-run")},
                    QStringLiteral("Write nothing; list what the write would change."));
        line.Option({QStringLiteral("verify")},
                    QStringLiteral("Read the book back after the write and compare."));
        line.Option({QStringLiteral("force")},
                    QStringLiteral("Write even a damaged book (what could be read), a book with no "
                                   "entries, or one that removes many of the handset's entries."));
        DeclareRegionOption(line);
    }
    int Run(const CommandLine& line, const CliContext& context) override {
        PhoneOptions options;
        std::string why;
        if (!TakePhoneOptions(line, options, why)) return line.UsageError(why);
        options.dryRun = line.IsSet(QStringLiteral("dry-run"));
        options.verify = line.IsSet(QStringLiteral("verify"));
        options.force = line.IsSet(QStringLiteral("force"));
        if (options.dryRun && options.verify) {
            return line.UsageError("--dry-run writes nothing to verify");
        }
        const auto args = line.Positional();
        if (args.size() != 1) return line.UsageError("one book to write");
        if (!TakeRegionOption(line, why)) return line.UsageError(why);
        options.file = args[0];
        return RunWrite(options, context.programFolder);
    }
};

}  // namespace

std::unique_ptr<Command> MakeReadCommand() {
    return std::make_unique<ReadCommand>();
}

std::unique_ptr<Command> MakeWriteCommand() {
    return std::make_unique<WriteCommand>();
}

}  // namespace numora

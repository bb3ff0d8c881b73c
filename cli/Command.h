// The commands of numora-cli. Each command is one small class that declares its own options,
// usage and help on the shared parser and checks its own arguments; main only picks the
// command by its name.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace numora {

struct CliContext {
    std::filesystem::path programFolder;
};

class CommandLine;

class Command {
public:
    virtual ~Command() = default;
    virtual std::string_view Name() const = 0;
    // What follows the name in the usage line: "[--json] FILE".
    virtual std::string_view Synopsis() const = 0;
    // A few lines of help below the usage line.
    virtual std::string_view Help() const = 0;
    virtual void Declare(CommandLine& line) = 0;
    // Checks the arguments and runs; the exit status (2 for a usage error).
    virtual int Run(const CommandLine& line, const CliContext& context) = 0;
};

// The parser of one command's arguments, with the options it declared, for its help.
class CommandLine {
public:
    explicit CommandLine(const Command& command) : m_command(command) {}

    // Declares an option: names, help text, and a value name when it takes a value.
    void Option(const QStringList& names, const QString& help, const QString& valueName = {});

    bool IsSet(const QString& name) const { return m_parser.isSet(name); }
    std::string Value(const QString& name) const { return m_parser.value(name).toStdString(); }
    // Every value of an option given more than once.
    std::vector<std::string> Values(const QString& name) const;
    std::vector<std::string> Positional() const;

    // "numora-cli NAME SYNOPSIS", then the help and the options.
    std::string HelpText() const;
    // The reason and the usage on stderr; exit status 2.
    int UsageError(std::string_view why) const;

    // Parses the arguments after the command's name; false (with the reason) on an unknown
    // option or a missing value.
    bool Parse(const QStringList& args, std::string& error);

private:
    const Command& m_command;
    QCommandLineParser m_parser;
    std::vector<QCommandLineOption> m_options;
};

// Every command of the tool, in the order the overall usage lists them.
std::vector<std::unique_ptr<Command>> AllCommands();

std::unique_ptr<Command> MakeDumpCommand();
std::unique_ptr<Command> MakeConvertCommand();
std::unique_ptr<Command> MakeReadCommand();
std::unique_ptr<Command> MakeWriteCommand();
std::unique_ptr<Command> MakePrintCommand();
std::unique_ptr<Command> MakeDiffCommand();
std::unique_ptr<Command> MakeHistoryCommand();
std::unique_ptr<Command> MakeMergeCommand();
std::unique_ptr<Command> MakeDuplicatesCommand();
std::unique_ptr<Command> MakeSyncCommand();

// Picks the command named by the first argument and runs it; the exit status.
int RunCommandLine(int argc, char** argv);

}  // namespace numora

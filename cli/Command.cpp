#include "cli/Command.h"

#include <cstdio>

#include "cli/ProgramFolder.h"
#include "cmdline/ProgramOptions.h"

namespace numora {

namespace {

constexpr const char* kFilesNote =
    "Books are phone-book files (*.pb), JSON (*.json), vCard (*.vcf) or CSV (*.csv), by "
    "extension.\n"
    "Run numora-cli COMMAND --help for the options of a command.\n";

std::string Usage(const std::vector<std::unique_ptr<Command>>& commands) {
    std::string out = "usage:";
    bool first = true;
    for (const auto& c : commands) {
        out += first ? " " : "       ";
        first = false;
        out += "numora-cli " + std::string(c->Name()) + " " + std::string(c->Synopsis()) + "\n";
    }
    out += "       numora-cli --help | --version\n";
    return out + kFilesNote;
}

}  // namespace

void CommandLine::Option(const QStringList& names, const QString& help, const QString& valueName) {
    QCommandLineOption option(names, help, valueName);
    m_parser.addOption(option);
    m_options.push_back(std::move(option));
}

std::vector<std::string> CommandLine::Positional() const {
    std::vector<std::string> out;
    for (const QString& a : m_parser.positionalArguments())
        out.push_back(a.toStdString());
    return out;
}

std::vector<std::string> CommandLine::Values(const QString& name) const {
    std::vector<std::string> out;
    for (const QString& v : m_parser.values(name))
        out.push_back(v.toStdString());
    return out;
}

std::string CommandLine::HelpText() const {
    std::string out = "usage: numora-cli " + std::string(m_command.Name()) + " " +
                      std::string(m_command.Synopsis()) + "\n" + std::string(m_command.Help());
    if (m_options.empty()) return out;
    out += "options:\n";
    for (const QCommandLineOption& o : m_options) {
        std::string names;
        for (const QString& n : o.names()) {
            if (!names.empty()) names += ", ";
            names += (n.size() == 1 ? "-" : "--") + n.toStdString();
        }
        if (!o.valueName().isEmpty()) names += " " + o.valueName().toStdString();
        char head[40];
        std::snprintf(head, sizeof head, "  %-24s", names.c_str());
        out += head;
        if (names.size() > 24) out += "\n" + std::string(26, ' ');
        out += o.description().toStdString() + "\n";
    }
    return out;
}

int CommandLine::UsageError(std::string_view why) const {
    std::fprintf(stderr, "numora-cli %s: %.*s\nusage: numora-cli %s %s\n",
                 std::string(m_command.Name()).c_str(), static_cast<int>(why.size()), why.data(),
                 std::string(m_command.Name()).c_str(), std::string(m_command.Synopsis()).c_str());
    return 2;
}

bool CommandLine::Parse(const QStringList& args, std::string& error) {
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                          QStringLiteral("This help.")));
    if (!m_parser.parse(args)) {
        error = m_parser.errorText().toStdString();
        return false;
    }
    return true;
}

std::vector<std::unique_ptr<Command>> AllCommands() {
    std::vector<std::unique_ptr<Command>> all;
    all.push_back(MakeDumpCommand());
    all.push_back(MakeConvertCommand());
    all.push_back(MakeReadCommand());
    all.push_back(MakeWriteCommand());
    all.push_back(MakePrintCommand());
    all.push_back(MakeDiffCommand());
    all.push_back(MakeHistoryCommand());
    all.push_back(MakeMergeCommand());
    all.push_back(MakeDuplicatesCommand());
    all.push_back(MakeSyncCommand());
    return all;
}

namespace {

int RunCommand(int argc, char** argv) {
    const auto commands = AllCommands();
    const std::string name = argc >= 2 ? argv[1] : "";
    if (name == "--version" || name == "-v") {
        std::fputs(ProgramVersionLine(QStringLiteral("numora-cli")).toLocal8Bit().constData(),
                   stdout);
        return 0;
    }
    if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(Usage(commands).c_str(), stdout);
        return 0;
    }
    for (const auto& command : commands) {
        if (command->Name() != name) continue;
        CommandLine line(*command);
        command->Declare(line);
        QStringList args{QStringLiteral("numora-cli")};
        for (int i = 2; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        std::string error;
        if (!line.Parse(args, error)) return line.UsageError(error);
        if (line.IsSet(QStringLiteral("help"))) {
            std::fputs(line.HelpText().c_str(), stdout);
            return 0;
        }
        return command->Run(line, CliContext{ProgramFolder(argv[0])});
    }
    if (!name.empty()) std::fprintf(stderr, "numora-cli: unknown command \"%s\"\n", name.c_str());
    std::fputs(Usage(commands).c_str(), stderr);
    return 2;
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
    return FinishStandardOutput(RunCommand(argc, argv), "numora-cli");
}

}  // namespace numora

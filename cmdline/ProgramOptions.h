// The options every program takes (--help and --version, on QCommandLineParser) and the end of
// its standard output, where a write that failed becomes an error.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>

namespace numora {

// "numora 1.0.0": what --version prints.
QString ProgramVersionLine(const QString& program);

// Adds -h/--help and -v/--version.
void AddStandardOptions(QCommandLineParser& parser);

// The help as --help prints it, the program's name in the usage line.
QString ProgramHelp(const QCommandLineParser& parser, const QString& program);

// Answers --help and --version when they are given, even beside options the parser does not
// know (the window's Qt options are only known once its application runs): the exit status,
// or nothing to go on.
[[nodiscard]] std::optional<int> AnswerHelpOrVersion(QCommandLineParser& parser,
                                                     const QStringList& arguments,
                                                     const QString& program);

// Parses the arguments (the program's path first). The exit status when the program ends here:
// the help or the version (0), or a mistake, said on stderr with a pointer to --help (2), such as
// more than maxPositional arguments besides the options.
[[nodiscard]] std::optional<int> ParseProgramOptions(QCommandLineParser& parser,
                                                     const QStringList& arguments,
                                                     const QString& program, int maxPositional);

// Prints the text on stdout; the status as FinishStandardOutput gives it.
[[nodiscard]] int PrintAndFinish(const QString& text, const char* program);

// Flushes stdout. A write that failed (a full disk, a closed file) is said on stderr with the
// system's reason and makes the status 1; otherwise the status stays.
[[nodiscard]] int FinishStandardOutput(int status, const char* program);

// The arguments as Qt reads them, before any application object exists.
QStringList ArgumentList(int argc, char** argv);

}  // namespace numora

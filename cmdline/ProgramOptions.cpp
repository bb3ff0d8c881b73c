#include "cmdline/ProgramOptions.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace numora {

namespace {

constexpr int kExitBadUse = 2;

const QString& HelpName() {
    static const QString name = QStringLiteral("help");
    return name;
}

const QString& VersionName() {
    static const QString name = QStringLiteral("version");
    return name;
}

}  // namespace

QString ProgramVersionLine(const QString& program) {
    return program + QLatin1Char(' ') + QStringLiteral(NUMORA_VERSION) + QLatin1Char('\n');
}

void AddStandardOptions(QCommandLineParser& parser) {
    parser.addOption(
        QCommandLineOption({QStringLiteral("h"), HelpName()}, QStringLiteral("Shows this help.")));
    parser.addOption(QCommandLineOption({QStringLiteral("v"), VersionName()},
                                        QStringLiteral("Shows the version.")));
}

QString ProgramHelp(const QCommandLineParser& parser, const QString& program) {
    // Qt names the program by the path it was started with, or by a placeholder before the
    // application object exists.
    const QString started = QCoreApplication::instance() != nullptr
                                ? QCoreApplication::arguments().value(0)
                                : QStringLiteral("<executable_name>");
    QString text = parser.helpText();
    const qsizetype at = text.indexOf(started);
    if (!started.isEmpty() && at >= 0) text.replace(at, started.size(), program);
    return text;
}

std::optional<int> AnswerHelpOrVersion(QCommandLineParser& parser, const QStringList& arguments,
                                       const QString& program) {
    // "-reverse" or "-stylesheet" (Qt's own options, before the application takes them) must
    // not read as -r -e -v... or -s -t -y -l -e -s -h...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    (void)parser.parse(arguments);
    const QByteArray name = program.toLocal8Bit();
    if (parser.isSet(HelpName())) {
        return PrintAndFinish(ProgramHelp(parser, program), name.constData());
    }
    if (parser.isSet(VersionName())) {
        return PrintAndFinish(ProgramVersionLine(program), name.constData());
    }
    return std::nullopt;
}

std::optional<int> ParseProgramOptions(QCommandLineParser& parser, const QStringList& arguments,
                                       const QString& program, int maxPositional) {
    if (const auto answered = AnswerHelpOrVersion(parser, arguments, program)) return answered;
    QString error = parser.errorText();
    const QStringList positional = parser.positionalArguments();
    if (error.isEmpty() && positional.size() > maxPositional) {
        error = QStringLiteral("Unexpected argument '%1'.").arg(positional.value(maxPositional));
    }
    if (error.isEmpty()) return std::nullopt;
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for the options.\n", qPrintable(program),
                 qPrintable(error), qPrintable(program));
    return kExitBadUse;
}

int PrintAndFinish(const QString& text, const char* program) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    return FinishStandardOutput(0, program);
}

int FinishStandardOutput(int status, const char* program) {
    // A failed write leaves its bytes in the buffer, so the flush fails again and says why; a
    // large write that failed past the buffer left its reason in errno.
    const bool flushed = std::fflush(stdout) == 0;
    if (flushed && std::ferror(stdout) == 0) return status;
    const int error = errno;
    std::fprintf(stderr, "%s: cannot write to standard output: %s\n", program,
                 error != 0 ? std::strerror(error) : "write error");
    return status == 0 ? 1 : status;
}

QStringList ArgumentList(int argc, char** argv) {
    QStringList out;
    for (int i = 0; i < argc; ++i)
        out << QString::fromLocal8Bit(argv[i]);
    return out;
}

}  // namespace numora

// numora: the phone book window of the KXT-5507.
//   numora                 looks for the handset on the serial ports
//   numora --port DEV      uses that device
//   numora --simulate      starts numora-sim and works with it
//   numora FILE            opens a phone book (or contacts file) instead of reading the handset
#include <QApplication>
#include <QCommandLineParser>

#include "app/AppIcon.h"
#include "app/MainWindow.h"
#include "cmdline/ProgramOptions.h"
#include "ui/Modal.h"

int main(int argc, char* argv[]) {
    const QString program = QStringLiteral("numora");
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The phone book of the KXT-5507 handset."));
    numora::AddStandardOptions(parser);
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Use the handset on this device."),
                                        QStringLiteral("DEV"));
    const QCommandLineOption simulateOption(
        QStringLiteral("simulate"), QStringLiteral("Start numora-sim and use it as the handset."));
    parser.addOption(portOption);
    parser.addOption(simulateOption);
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A phone book (*.pb) or contacts file to open."),
                                 QStringLiteral("[FILE]"));
    // The help and the version need no display, so they come before the window's application.
    if (const auto status =
            numora::AnswerHelpOrVersion(parser, numora::ArgumentList(argc, argv), program)) {
        return *status;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(numora::kAppTitle));
    // The desktop entry numora.desktop gives the window its icon and name in task bars.
    QApplication::setDesktopFileName(QStringLiteral("numora"));
    QApplication::setWindowIcon(numora::AppIcon());
    // Qt's own options (-platform, -style...) are gone from the arguments now.
    if (const auto status =
            numora::ParseProgramOptions(parser, QApplication::arguments(), program, 1)) {
        return *status;
    }

    numora::WindowOptions options;
    options.file = parser.positionalArguments().value(0);
    options.port = parser.value(portOption);
    options.simulate = parser.isSet(simulateOption) && options.port.isEmpty();

    numora::MainWindow frame(options);
    frame.show();
    frame.StartUp();
    return QApplication::exec();
}

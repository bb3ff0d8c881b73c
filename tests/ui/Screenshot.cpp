// Draws the main window with a book loaded into a PNG file, for the documentation:
//   numora_screenshot BOOK.pb OUT.png
// The window is built offscreen, shown whole, with one entry selected.
#include <QApplication>
#include <QMenuBar>
#include <QTemporaryDir>

#include "UiTestSupport.h"
#include "app/MainFrame.h"
#include "app/NumoraView.h"
#include "ui/QtFileAccess.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: numora_screenshot BOOK.pb OUT.png\n");
        return 2;
    }
    const QString book = QString::fromLocal8Bit(argv[1]);
    numora::test::CTestRunner runner;
    QTemporaryDir dir;
    numora::FrameOptions options;
    options.profilePath = dir.filePath(QStringLiteral("profile.ini"));
    options.historyFolder = dir.filePath(QStringLiteral("history"));
    options.programFolder = dir.path();
    numora::CMainFrame frame(options);
    numora::CQtFileAccess files(frame.Page(), [&](bool) { return std::optional<QString>(book); });
    frame.Page()->SetFileAccess(&files);
    frame.Page()->OnFileOpen();
    if (runner.messages != QStringList({QStringLiteral("File read completed!")})) {
        std::fprintf(stderr, "numora_screenshot: %s could not be read\n", argv[1]);
        return 1;
    }
    frame.resize(frame.View()->FormSize() + QSize(0, frame.menuBar()->sizeHint().height()));
    frame.show();
    QApplication::processEvents();
    numora::test::ClickCell(frame.Page()->List(), 2, 1);
    QApplication::processEvents();
    if (!frame.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "numora_screenshot: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

// "File Open" and "File Save" on the page, with the file dialog replaced by a chooser: the
// file the page writes is the one the command-line tool writes for the same book.
#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/QtFileAccess.h"

using namespace numora;
using namespace numora::test;

namespace {

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The sample book as numora-cli converts it.
QString ConvertSample(const QTemporaryDir& dir) {
    const QString out = dir.filePath(QStringLiteral("cli.pb"));
    const int rc =
        QProcess::execute(QStringLiteral(NUMORA_CLI),
                          {QStringLiteral("convert"),
                           QStringLiteral(NUMORA_SOURCE_DIR "/data/sample-book.json"), out});
    return rc == 0 ? out : QString();
}

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void openThenSaveGivesTheToolsBytes() {
        TestRunner runner;
        QTemporaryDir dir;
        const QString cliFile = ConvertSample(dir);
        QVERIFY(!cliFile.isEmpty());
        const QString saved = dir.filePath(QStringLiteral("window.pb"));
        PageRig rig;
        std::vector<bool> asked;
        QtFileAccess files(&rig.page, [&](bool save) -> std::optional<QString> {
            asked.push_back(save);
            return save ? saved : cliFile;
        });
        rig.page.SetFileAccess(files);
        QSignalSpy controls(&rig.page, &PhoneBookPage::controlsEnabled);

        rig.Click("fileOpenButton");
        QCOMPARE(runner.messages, QStringList({"File read completed!"}));
        QCOMPARE(rig.page.Book().CountUsedEntries(), 40);
        QCOMPARE(rig.Find<QComboBox>("filterCombo")->itemText(1), QStringLiteral("Family"));
        QCOMPARE(controls.last().first().toBool(), true);  // unlocked again at the end

        rig.Click("fileSaveButton");
        QCOMPARE(runner.messages.last(), QStringLiteral("File save completed!"));
        QCOMPARE(asked, (std::vector<bool>{false, true}));
        const QByteArray expected = Bytes(cliFile);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(Bytes(saved), expected);
    }
};

QTEST_MAIN(FileCommandsTest)
#include "FileCommandsTest.moc"

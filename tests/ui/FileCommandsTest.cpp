// "File Open" and "File Save" on the page, with the file dialog replaced by a chooser: the
// file the page writes is the one the command-line tool writes for the same book.
#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "UiTestSupport.h"
#include "files/SaveFile.h"
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
        CTestRunner runner;
        QTemporaryDir dir;
        const QString cliFile = ConvertSample(dir);
        QVERIFY(!cliFile.isEmpty());
        const QString saved = dir.filePath(QStringLiteral("window.pb"));
        PageRig rig;
        std::vector<bool> asked;
        CQtFileAccess files(&rig.page, [&](bool save) -> std::optional<QString> {
            asked.push_back(save);
            return save ? saved : cliFile;
        });
        rig.page.SetFileAccess(&files);
        QSignalSpy sheet(&rig.page, &CPBDialog::sheetEnable);

        QTest::mouseClick(rig.Find<QPushButton>("fileOpenButton"), Qt::LeftButton);
        QCOMPARE(runner.messages, QStringList({"File read completed!"}));
        QCOMPARE(rig.page.Book().CountUsedEntries(), 40);
        int rows = 0;
        for (int r = 0; r < kEntrySlots; ++r)
            rows += rig.Cell(r, col::kName).isEmpty() ? 0 : 1;
        QCOMPARE(rows, 40);
        QCOMPARE(rig.Find<QComboBox>("filterCombo")->itemText(1), QStringLiteral("Family"));
        // Locked for the work, unlocked at the end, the bar back at 0.
        QCOMPARE(sheet.first().first().toBool(), false);
        QCOMPARE(sheet.last().first().toBool(), true);
        QVERIFY(rig.Find<QPushButton>("saveButton")->isEnabled());
        QCOMPARE(rig.page.ProgressPos(), 0);

        QTest::mouseClick(rig.Find<QPushButton>("fileSaveButton"), Qt::LeftButton);
        QCOMPARE(runner.messages.last(), QStringLiteral("File save completed!"));
        QCOMPARE(asked, (std::vector<bool>{false, true}));
        const QByteArray expected = Bytes(cliFile);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(Bytes(saved), expected);
    }

    void cancelChangesNothing() {
        CTestRunner runner;
        PageRig rig;
        rig.Load();
        CQtFileAccess files(&rig.page, [](bool) { return std::optional<QString>(); });
        rig.page.SetFileAccess(&files);
        QTest::mouseClick(rig.Find<QPushButton>("fileOpenButton"), Qt::LeftButton);
        QTest::mouseClick(rig.Find<QPushButton>("fileSaveButton"), Qt::LeftButton);
        QCOMPARE(runner.messages, QStringList());
        QCOMPARE(rig.Cell(0, col::kName), QStringLiteral("Anna"));
        QVERIFY(rig.Find<QPushButton>("fileOpenButton")->isEnabled());
    }

    void unreadableFilesLeaveTheBook() {
        CTestRunner runner;
        QTemporaryDir dir;
        QFile big(dir.filePath(QStringLiteral("big.pb")));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(kMaxBookFileBytes + 1));
        big.close();
        QFile work(dir.filePath(QStringLiteral("backup.efs")));
        QVERIFY(work.open(QIODevice::WriteOnly));
        work.close();

        PageRig rig;
        rig.Load();
        rig.page.SetProgramFolder(dir.path());
        QString path = dir.filePath(QStringLiteral("missing.pb"));
        CQtFileAccess files(&rig.page, [&](bool) { return std::optional<QString>(path); });
        rig.page.SetFileAccess(&files);
        QTest::mouseClick(rig.Find<QPushButton>("fileOpenButton"), Qt::LeftButton);
        path = big.fileName();
        QTest::mouseClick(rig.Find<QPushButton>("fileOpenButton"), Qt::LeftButton);
        path = dir.path();  // a folder
        QTest::mouseClick(rig.Find<QPushButton>("fileOpenButton"), Qt::LeftButton);
        QCOMPARE(runner.messages, QStringList(3, QStringLiteral("File open failed!")));
        QCOMPARE(rig.Cell(0, col::kName), QStringLiteral("Anna"));
        QVERIFY(rig.page.Book().IsValidEntry(0));
        QVERIFY(!work.exists());
        QVERIFY(rig.Find<QPushButton>("fileOpenButton")->isEnabled());

        path = dir.filePath(QStringLiteral("no/such/folder/book.pb"));
        QTest::mouseClick(rig.Find<QPushButton>("fileSaveButton"), Qt::LeftButton);
        QCOMPARE(runner.messages.last(), QStringLiteral("File save failed!"));
        QVERIFY(rig.page.Book().IsValidEntry(0));
    }

    // A full disk fails the save part-way: the old file stays whole and the book says so.
    // A damaged file opens with one more message; bytes that are no book are refused.
    void fullDisksAndDamagedFilesLoseNothing() {
        CTestRunner runner;
        QTemporaryDir dir;
        const QString cliFile = ConvertSample(dir);
        QVERIFY(!cliFile.isEmpty());
        const QByteArray good = Bytes(cliFile);
        PageRig rig;
        QString path = cliFile;
        CQtFileAccess files(&rig.page, [&](bool) { return std::optional<QString>(path); });
        rig.page.SetFileAccess(&files);

        QTest::mouseClick(rig.Find<QPushButton>("fileOpenButton"), Qt::LeftButton);
        AddAnna(rig);
        qint64 room = 2000;
        SetSaveChunkWriter([&room](QIODevice& device, const char* data, qint64 size) -> qint64 {
            const qint64 n = std::min(room, size);
            room -= n;
            return n > 0 ? device.write(data, n) : -1;
        });
        QTest::mouseClick(rig.Find<QPushButton>("fileSaveButton"), Qt::LeftButton);
        SetSaveChunkWriter({});
        QCOMPARE(runner.messages.last(), QStringLiteral("File save failed!"));
        QCOMPARE(Bytes(cliFile), good);

        path = dir.filePath(QStringLiteral("cut.pb"));
        QFile cut(path);
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(good.left(good.size() - 1000));
        cut.close();
        runner.messages.clear();
        QTest::mouseClick(rig.Find<QPushButton>("fileOpenButton"), Qt::LeftButton);
        QCOMPARE(runner.messages.size(), 2);
        QCOMPARE(runner.messages[0], QStringLiteral("File read completed!"));
        QVERIFY2(runner.messages[1].contains(QStringLiteral("cut short")),
                 qPrintable(runner.messages[1]));

        path = dir.filePath(QStringLiteral("noise.pb"));
        QFile noise(path);
        QVERIFY(noise.open(QIODevice::WriteOnly));
        noise.write(QByteArray(100000, 'x'));
        noise.close();
        const int entries = rig.page.Book().CountUsedEntries();
        runner.messages.clear();
        QTest::mouseClick(rig.Find<QPushButton>("fileOpenButton"), Qt::LeftButton);
        QCOMPARE(runner.messages.size(), 2);
        QCOMPARE(runner.messages[0], QStringLiteral("File open failed!"));
        QVERIFY(runner.messages[1].contains(QStringLiteral("not a phone-book file")));
        QCOMPARE(rig.page.Book().CountUsedEntries(), entries);
        QVERIFY(rig.Find<QPushButton>("fileOpenButton")->isEnabled());
    }

private:
    // One more entry, so that the book saved is longer than the file on disk.
    static void AddAnna(PageRig& rig) {
        PBEntry e;
        e.index = 299;
        e.group = kEtcGroup;
        SetText(e.name, "Anna");
        SetNumber(e.numbers[0], "0123");
        rig.page.Book().SetEntry(e);
    }
};

QTEST_MAIN(FileCommandsTest)
#include "FileCommandsTest.moc"

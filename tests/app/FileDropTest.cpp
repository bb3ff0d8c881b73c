// Files given to the window from outside: what a drop of which files does, and the window
// doing it for a drop and for a file named on the command line.
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "WindowTestSupport.h"
#include "app/FileDrop.h"
#include "app/MainWindow.h"
#include "book/PbFile.h"
#include "history/BookHistory.h"
#include "ui/UiTestSupport.h"

using namespace numora;
using namespace numora::test;

Q_DECLARE_METATYPE(DropAction)

namespace {

QString WriteCard(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("zed.vcf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zed Zebra\r\nTEL;TYPE=CELL:0999\r\nEND:VCARD\r\n");
    return path;
}

}  // namespace

class FileDropTest : public QObject {
    Q_OBJECT

private slots:
    void aDropIsPlannedByTheFilesAndThePage_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<DropAction>("action");
        QTest::addColumn<int>("refused");
        QTest::newRow("a book") << QStringList{"a/b.PB"} << false << DropAction::OpenBook << 0;
        QTest::newRow("contacts") << QStringList{"c.vcf"} << false << DropAction::MergeOrReplace
                                  << 0;
        QTest::newRow("several") << QStringList{"a.csv", "b.pb", "c.txt"} << false
                                 << DropAction::MergeEach << 1;
        QTest::newRow("nothing readable")
            << QStringList{"notes.txt", "photo"} << false << DropAction::Nothing << 2;
        QTest::newRow("during a write")
            << QStringList{"b.pb", "c.txt"} << true << DropAction::Nothing << 0;
    }

    void aDropIsPlannedByTheFilesAndThePage() {
        QFETCH(QStringList, files);
        QFETCH(bool, busy);
        QFETCH(DropAction, action);
        QFETCH(int, refused);
        std::vector<std::string> paths;
        for (const QString& f : files)
            paths.push_back(f.toStdString());
        const DropPlan plan = PlanDrop(paths, busy);
        QCOMPARE(plan.action, action);
        QCOMPARE(static_cast<int>(plan.refused.size()), refused);
    }

    // A book dropped on the window opens as File Open does, with its snapshot; a contacts file
    // asks first: "Merge into the book" is the merge preview, "Replace the entries" Import
    // Contacts.
    void droppedFilesOpenOrAskToMergeOrReplace() {
        TestRunner runner;
        QTemporaryDir dir;
        MainWindow frame(TestOptions(dir, QStringLiteral("no-such-device")));
        frame.show();
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(WriteTestBookFile(dir, QStringLiteral("dropped.pb")))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&frame, &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&frame, &drop);
        QVERIFY(enter.isAccepted() && drop.isAccepted());
        QTRY_COMPARE(frame.Page()->Book().CountUsedEntries(), 4);
        QCOMPARE(frame.Page()->List()->CellText(7, col::kName), QStringLiteral("Dora"));
        QCOMPARE(frame.History().List().front().what, QString::fromLatin1(history::kOpened));
        QCOMPARE(runner.messages, QStringList({"File read completed!"}));
        delete mime;

        const QString card = WriteCard(dir);
        runner.choice.reset();
        frame.OpenFiles({card});
        QCOMPARE(runner.questions.size(), 1);
        QVERIFY(runner.questions[0].endsWith("[Merge into the book|Replace the entries]"));
        QCOMPARE(frame.Page()->Book().CountUsedEntries(), 4);
        // "Merge into the book" shows the merge preview (cancelled here).
        runner.choice = 0;
        frame.OpenFiles({card});
        QCOMPARE(runner.dialogsRun, 1);
        QCOMPARE(frame.Page()->Book().CountUsedEntries(), 4);
        runner.choice = 1;
        frame.OpenFiles({card});
        QCOMPARE(frame.Page()->Book().CountUsedEntries(), 1);
        QCOMPARE(frame.Page()->List()->CellText(0, col::kName), QStringLiteral("Zed Zebra"));
        // A file that cannot be read asks nothing and says why.
        runner.questions.clear();
        frame.OpenFiles({dir.filePath(QStringLiteral("gone.vcf"))});
        QVERIFY(runner.questions.isEmpty());
        QVERIFY(runner.messages.last().startsWith("File open failed!\n\ngone.vcf: "));
    }

    // A file named on the command line is opened in place of reading the handset.
    void aFileOnTheCommandLineOpensInsteadOfTheRead() {
        TestRunner runner;
        QTemporaryDir dir;
        WindowOptions options = TestOptions(dir, QStringLiteral("no-such-device"));
        options.file = WriteTestBookFile(dir, QStringLiteral("given.pb"));
        MainWindow frame(options);
        frame.show();
        frame.StartUp();
        QTRY_COMPARE(frame.Page()->Book().CountUsedEntries(), 4);
        QCOMPARE(frame.Page()->SearchDialog(), nullptr);
        QVERIFY(!frame.Page()->Session().Engine().Running());
    }
};

QTEST_MAIN(FileDropTest)
#include "FileDropTest.moc"

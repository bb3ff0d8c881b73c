// The main window: its title and version text, the profile values it writes, the About box,
// printing, and --simulate without a simulator.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "WindowTestSupport.h"
#include "app/FormView.h"
#include "app/MainWindow.h"
#include "ui/UiTestSupport.h"

using namespace numora;
using namespace numora::test;

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void titleCarriesTheVersionFile() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("run")));
        const QDir run(dir.filePath(QStringLiteral("run")));
        QCOMPARE(FrameTitle(run), QStringLiteral(" KXT-5507 Phone Book "));
        // The parent's file serves when the folder has none, the text exactly as stored.
        WriteFile(dir.filePath(QStringLiteral("nmxver.dat")), "V1.0\n");
        QCOMPARE(FrameTitle(run), QStringLiteral(" KXT-5507 Phone Book V1.0\n"));
        WriteFile(run.filePath(QStringLiteral("nmxver.dat")), "V2.1");
        QCOMPARE(FrameTitle(run), QStringLiteral(" KXT-5507 Phone Book V2.1"));
        // At most 99 bytes, up to the first zero byte.
        WriteFile(run.filePath(QStringLiteral("nmxver.dat")), QByteArray(150, 'v'));
        QCOMPARE(FrameTitle(run), QStringLiteral(" KXT-5507 Phone Book ") + QString(99, 'v'));
        WriteFile(run.filePath(QStringLiteral("nmxver.dat")), QByteArray("V3\0tail", 7));
        QCOMPARE(FrameTitle(run), QStringLiteral(" KXT-5507 Phone Book V3"));
    }

    void frameSetsItselfUpWithItsHelpMenuAndAboutBox() {
        TestRunner runner;
        QTemporaryDir dir;
        MainWindow frame(TestOptions(dir));
        frame.show();
        QVERIFY(frame.windowTitle().startsWith(QStringLiteral(" KXT-5507 Phone Book ")));
        const QSettings ini(dir.filePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("Initialization/ClassName")).toString(),
                 QString::fromLatin1(frame.metaObject()->className()));
        // One tab, "Phone Book", holding the page.
        const QTabWidget* tabs = frame.View()->Tabs();
        QCOMPARE(tabs->count(), 1);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Phone Book"));
        QCOMPARE(tabs->widget(0), frame.Page());
        QCOMPARE(frame.Page()->List()->RowCount(), kEntrySlots);
        QCOMPARE(frame.Page()->List()->ColumnCount(), kListColumns);
        QCOMPARE(frame.pos(), QPoint(0, 0));

        QCOMPARE(frame.menuBar()->actions().last()->text(), QStringLiteral("&Help"));
        QAction* about = frame.menuBar()->actions().last()->menu()->actions().first();
        QCOMPARE(about->text(), QStringLiteral("&About Program"));
        runner.Expect([](QDialog& dialog) {
            [&] {
                QCOMPARE(dialog.windowTitle(), QStringLiteral("About Program"));
                auto* title = dialog.findChild<QLabel*>(QStringLiteral("title"));
                QVERIFY(title != nullptr);
                QCOMPARE(title->text(), QStringLiteral("KXT-5507 Phone Book"));
            }();
            QTest::mouseClick(dialog.findChild<QPushButton*>(), Qt::LeftButton);
            return dialog.result();
        });
        about->trigger();
        QVERIFY(runner.AllHandled());
    }

    // In a small window the list and the panel share what there is: nothing scrolls but the
    // panel's fields, and the commands stay in sight. A large one gives the list the room.
    void thePageFitsSmallAndLargeWindows() {
        QTemporaryDir dir;
        MainWindow frame(TestOptions(dir));
        frame.show();
        PhoneBookPage& page = *frame.Page();
        const int templateWidth = page.List()->width();
        const int templateHeight = page.List()->height();
        for (const QSize size : {QSize(640, 310), QSize(1024, 550), QSize(1400, 1000)}) {
            frame.resize(size);
            QCoreApplication::processEvents();
            QVERIFY(!frame.View()->horizontalScrollBar()->isVisible());
            QVERIFY(!frame.View()->verticalScrollBar()->isVisible());
            for (const char* name : {"readButton", "fileSaveButton", "saveButton"}) {
                const auto* button = FindIn<QPushButton>(page, name);
                const QRect shown(button->mapTo(&frame, QPoint()), button->size());
                QVERIFY2(frame.rect().contains(shown), name);
            }
            QCOMPARE(page.List()->width() > templateWidth, size.width() > 700);
            QCOMPARE(page.List()->height() > templateHeight, size.height() > 760);
        }
    }

    // "Fast Transfers" sets the engine's pace; it and "Verify After Writing" are remembered in
    // the profile for the next start.
    void checkedItemsAreRememberedInTheProfile() {
        QTemporaryDir dir;
        const QStringList items = {QStringLiteral("Fast Transfers"),
                                   QStringLiteral("&Verify After Writing")};
        {
            MainWindow frame(TestOptions(dir));
            QCOMPARE(frame.Page()->Session().Engine().GetPace(), Pace::Specified);
            for (const QString& text : items) {
                QAction* item = FileAction(frame, text);
                QVERIFY(item->isCheckable() && !item->isChecked());
                item->trigger();
            }
            QCOMPARE(frame.Page()->Session().Engine().GetPace(), Pace::Fast);
        }
        MainWindow again(TestOptions(dir));
        QCOMPARE(again.Page()->Session().Engine().GetPace(), Pace::Fast);
        for (const QString& text : items)
            QVERIFY(FileAction(again, text)->isChecked());
    }

    // While a run has the page locked the status line says what goes on instead of figures
    // of a book half read, and nothing prints it; afterwards both come back.
    void aRunShowsWhatGoesOnAndPrintsNothing_data() {
        QTest::addColumn<bool>("reading");
        QTest::addColumn<QString>("status");
        QTest::newRow("read") << true << QStringLiteral("Reading the phone book...");
        QTest::newRow("write") << false << QStringLiteral("Writing the phone book...");
    }

    void aRunShowsWhatGoesOnAndPrintsNothing() {
        QFETCH(bool, reading);
        QFETCH(QString, status);
        TestRunner runner;
        QTemporaryDir dir;
        MainWindow frame(TestOptions(dir, QStringLiteral("no-such-device")));
        frame.show();
        FillTestBook(frame.Page()->Book());
        frame.Page()->ShowBook(BookChange::Everything);
        const auto* figures = frame.findChild<QLabel*>(QStringLiteral("bookFigures"));
        const QString before = figures->text();
        QVERIFY(before.contains(QStringLiteral(" of 300 entries")));
        const QList<QAction*> prints = {FileAction(frame, QStringLiteral("Print &Directory...")),
                                        frame.findChild<QAction*>(QStringLiteral("printAction"))};

        if (reading) {
            frame.Page()->OnReadFromPhone();
        } else {
            frame.Page()->OnWriteToPhone();
        }
        QVERIFY(frame.Page()->Locked());
        QCOMPARE(figures->text(), status);
        for (const QAction* print : prints)
            QVERIFY2(!print->isEnabled(), qPrintable(print->text()));

        frame.Page()->Session().Engine().Cancel();
        QVERIFY(!frame.Page()->Locked());
        if (!reading) QCOMPARE(figures->text(), before);
        QVERIFY(figures->text().contains(QStringLiteral(" of 300 entries")));
        for (const QAction* print : prints)
            QVERIFY2(print->isEnabled(), qPrintable(print->text()));
    }

    // Ctrl+P to a file: the PDF comes out, or the user is told where it could not go and why.
    void printingToAFileSaysWhenItCannot() {
        TestRunner runner;
        QTemporaryDir dir;
        MainWindow frame(TestOptions(dir, QStringLiteral("no-such-device")));
        frame.show();
        FillTestBook(frame.Page()->Book());
        frame.Page()->ShowBook(BookChange::Everything);
        auto* print = frame.findChild<QAction*>(QStringLiteral("printAction"));
        const auto printTo = [&](const QString& file) {
            runner.Expect([file](QDialog& dialog) {
                auto* printer = dynamic_cast<QPrintDialog&>(dialog).printer();
                printer->setOutputFormat(QPrinter::PdfFormat);
                printer->setOutputFileName(file);
                return int{QDialog::Accepted};
            });
            print->trigger();
        };

        const QString pdf = dir.filePath(QStringLiteral("book.pdf"));
        printTo(pdf);
        QCOMPARE(runner.messages, QStringList());
        QFile written(pdf);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.read(5) == "%PDF-");

        const QString lost = dir.filePath(QStringLiteral("gone/book.pdf"));
        printTo(lost);
        QCOMPARE(runner.messages,
                 QStringList(QStringLiteral("The printout could not be written to %1: the folder "
                                            "does not exist.")
                                 .arg(lost)));
        QVERIFY(runner.AllHandled());
    }

    void simulateWithoutSimulatorGoesOnWithoutHandset() {
        TestRunner runner;
        QTemporaryDir dir;
        WriteFile(dir.filePath(QStringLiteral("backup.efs")), "work");
        WindowOptions options = TestOptions(dir);
        options.simulate = true;
        options.simulator = dir.filePath(QStringLiteral("no-such-simulator"));
        MainWindow frame(options);
        frame.show();
        QSignalSpy failed(&frame, &MainWindow::simulatorFailed);
        frame.StartUp();
        QVERIFY(failed.count() == 1 || failed.wait(10000));
        QCOMPARE(runner.messages.size(), 1);
        QVERIFY(runner.messages.first().contains(QStringLiteral("simulator")));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("backup.efs"))));
        // No run was started: the page is free to use.
        QVERIFY(!frame.Page()->Session().Engine().Running());
        QVERIFY(frame.Page()->findChild<QPushButton*>(QStringLiteral("readButton"))->isEnabled());
        QVERIFY(frame.View()->Tabs()->tabBar()->isEnabled());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"

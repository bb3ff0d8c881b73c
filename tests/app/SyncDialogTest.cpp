// File "Sync with Address Book..." against Radicale: the preview lists each side's changes and
// lets a conflict be decided; "Apply" changes the server and the window's book.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "WindowTestSupport.h"
#include "app/AddressBookSyncDialog.h"
#include "support/DavServers.h"
#include "ui/UiTestSupport.h"

using namespace numora;
using namespace numora::test;

class SyncDialogTest : public QObject {
    Q_OBJECT

private slots:
    void previewThenApply() {
        QTemporaryDir dir;
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
        DavServer server(ServerKind::Radicale,
                         dir.filePath(QStringLiteral("server")).toStdString());
        QVERIFY(server.Up());
        QVERIFY(server.PutCard("ada.vcf",
                               "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:ada\r\nFN:Ada\r\n"
                               "TEL;TYPE=CELL:0123\r\nNOTE:server memo\r\nEND:VCARD\r\n"));
        TestRunner runner;
        MainWindow frame(TestOptions(dir, QStringLiteral("no-such-device")));
        PBEntry ada = MakeEntry(4, "Ada", kEtcGroup, "0123");
        SetText(ada.memo, "handset memo");
        frame.Page()->Book().SetEntry(ada);
        frame.Page()->ShowBook(BookChange::Everything);

        QStringList preview;
        runner.Expect([&](QDialog& d) -> int {
            auto& dialog = static_cast<AddressBookSyncDialog&>(d);
            dialog.ServerField()->setText(QString::fromStdString(server.Root()));
            dialog.UserField()->setText(DavServer::kUser);
            dialog.PasswordField()->setText(DavServer::kPassword);
            dialog.SyncButton()->click();
            if (!QTest::qWaitFor([&] { return dialog.ApplyButton()->isEnabled(); }, 10000)) {
                return QDialog::Rejected;
            }
            for (QTreeWidgetItemIterator it(dialog.Preview()); *it; ++it)
                preview << (*it)->text(0) + " | " + (*it)->text(1);
            // The conflict of the first pairing: the handset's memo is chosen over the server's.
            QTreeWidgetItem* conflict =
                dialog.Preview()
                    ->findItems(QStringLiteral("SyncConflict: memo"), Qt::MatchRecursive)
                    .value(0);
            if (conflict == nullptr) return QDialog::Rejected;
            auto* choice = qobject_cast<QComboBox*>(dialog.Preview()->itemWidget(conflict, 1));
            if (choice == nullptr) return QDialog::Rejected;
            choice->setCurrentIndex(1);
            dialog.ApplyButton()->click();
            (void)QTest::qWaitFor([&] { return dialog.result() == QDialog::Accepted; }, 10000);
            return dialog.result();
        });
        FileAction(frame, QStringLiteral("Sync with &Address Book..."))->trigger();
        QVERIFY(runner.AllHandled());
        QVERIFY2(preview.contains(QStringLiteral("SyncConflict: memo | ")),
                 qPrintable(preview.join('\n')));
        QCOMPARE(std::string(TextOf(frame.Page()->Book().Entry(4).memo)),
                 std::string("handset memo"));
        QVERIFY(server.GetCard(server.Collection() + "ada.vcf").find("NOTE:handset memo") !=
                std::string::npos);
        QCOMPARE(server.Cards().size(), std::size_t{1});
        // The server's address and the user are remembered; the password is not in the profile.
        QFile profile(dir.filePath(QStringLiteral("profile.ini")));
        QVERIFY(profile.open(QIODevice::ReadOnly));
        const QByteArray ini = profile.readAll();
        QVERIFY(ini.contains("alice"));
        QVERIFY(!ini.contains(DavServer::kPassword));
    }
};

QTEST_MAIN(SyncDialogTest)
#include "SyncDialogTest.moc"

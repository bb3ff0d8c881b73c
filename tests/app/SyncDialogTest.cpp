// File "Sync with Address Book..." against Radicale: the preview lists each side's changes and
// lets a conflict and a likely pair be decided; "Apply" changes the server and the window's book
// and remembers the answer with those of Merge Contacts.
#include <QCheckBox>
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
        QVERIFY(server.PutCard("julia.vcf",
                               "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:julia\r\nFN:Julia Meyer\r\n"
                               "TEL;TYPE=HOME:0301234\r\nEND:VCARD\r\n"));
        TestRunner runner;
        MainWindow frame(TestOptions(dir, QStringLiteral("no-such-device")));
        PBEntry ada = MakeEntry(4, "Ada", kEtcGroup, "0123");
        SetText(ada.memo, "handset memo");
        frame.Page()->Book().SetEntry(ada);
        PBEntry tom = MakeEntry(5, "Tom Meyer", kEtcGroup, "0301234");  // the family's number
        frame.Page()->Book().SetEntry(tom);
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
            // The choice on the row of that caption; none when there is no such row.
            const auto choiceOf = [&](const QString& caption) -> QComboBox* {
                QTreeWidgetItem* row =
                    dialog.Preview()->findItems(caption, Qt::MatchRecursive).value(0);
                return row == nullptr
                           ? nullptr
                           : qobject_cast<QComboBox*>(dialog.Preview()->itemWidget(row, 1));
            };
            // The likely pair is one person: the preview is made again with it merged.
            QComboBox* same = choiceOf(QStringLiteral("The same person?"));
            if (same == nullptr) return QDialog::Rejected;
            same->setCurrentIndex(1);
            if (!QTest::qWaitFor(
                    [&] { return choiceOf(QStringLiteral("The same person?")) == nullptr; },
                    5000)) {
                return QDialog::Rejected;
            }
            for (QTreeWidgetItemIterator it(dialog.Preview()); *it; ++it)
                preview << (*it)->text(0) + " | " + (*it)->text(1);
            // The conflict of the first pairing: the handset's memo is chosen over the server's.
            QComboBox* choice = choiceOf(QStringLiteral("Conflict: memo"));
            if (choice == nullptr) return QDialog::Rejected;
            choice->setCurrentIndex(1);
            dialog.ApplyButton()->click();
            (void)QTest::qWaitFor([&] { return dialog.result() == QDialog::Accepted; }, 10000);
            return dialog.result();
        });
        FileAction(frame, QStringLiteral("Sync with &Address Book..."))->trigger();
        QVERIFY(runner.AllHandled());
        QVERIFY2(preview.contains(QStringLiteral("Conflict: memo | ")),
                 qPrintable(preview.join('\n')));
        QCOMPARE(std::string(TextOf(frame.Page()->Book().Entry(4).memo)),
                 std::string("handset memo"));
        QVERIFY(server.GetCard(server.Collection() + "ada.vcf").find("NOTE:handset memo") !=
                std::string::npos);
        QCOMPARE(server.Cards().size(), std::size_t{2});
        QCOMPARE(std::string(NumberText(frame.Page()->Book().Entry(5).numbers[0])), std::string());
        QCOMPARE(std::string(NumberText(frame.Page()->Book().Entry(5).numbers[1])),
                 std::string("0301234"));
        QFile answers(dir.filePath(QStringLiteral("likely-pairs.json")));
        QVERIFY(answers.open(QIODevice::ReadOnly));
        QVERIFY(answers.readAll().contains("same person"));
        // The server's address and the user are remembered; the password is not in the profile.
        QFile profile(dir.filePath(QStringLiteral("profile.ini")));
        QVERIFY(profile.open(QIODevice::ReadOnly));
        const QByteArray ini = profile.readAll();
        QVERIFY(ini.contains("alice"));
        QVERIFY(!ini.contains(DavServer::kPassword));
    }

    // No password is none: a server without authentication syncs, one with it asks for the
    // password rather than being sent an empty one; a password the keyring could not keep is
    // said, and stays in view while the sync runs on.
    void passwordsAndTheKeyring() {
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");  // no keyring answers
        const struct {
            const char* what;
            ServerKind kind;
            const char* password;
            bool remember;
            const char* said;
        } cases[] = {
            {"no password for a server without one", ServerKind::Xandikos, "", false,
             "\"Apply\" makes these changes"},
            {"no password for a server that wants one", ServerKind::Radicale, "", false,
             "The sync stopped: the server asks for a password: enter it."},
            {"a password the keyring cannot keep", ServerKind::Radicale, DavServer::kPassword, true,
             "The password could not be remembered"},
        };
        for (const auto& c : cases) {
            QTemporaryDir dir;
            qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
            DavServer server(c.kind, dir.filePath(QStringLiteral("server")).toStdString());
            QVERIFY2(server.Up(), c.what);
            TestRunner runner;
            MainWindow frame(TestOptions(dir, QStringLiteral("no-such-device")));
            frame.Page()->Book().SetEntry(MakeEntry(0, "Ada", kEtcGroup, "0123"));
            QString status;
            runner.Expect([&](QDialog& d) -> int {
                auto& dialog = static_cast<AddressBookSyncDialog&>(d);
                dialog.ServerField()->setText(QString::fromStdString(server.Root()));
                dialog.UserField()->setText(DavServer::kUser);
                dialog.PasswordField()->setText(QString::fromLatin1(c.password));
                dialog.RememberBox()->setChecked(c.remember);
                dialog.SyncButton()->click();
                (void)QTest::qWaitFor(
                    [&] {
                        return dialog.SyncButton()->isEnabled() &&
                               !dialog.Status()->text().endsWith(QStringLiteral("..."));
                    },
                    10000);
                status = dialog.Status()->text();
                return QDialog::Rejected;
            });
            FileAction(frame, QStringLiteral("Sync with &Address Book..."))->trigger();
            QVERIFY(runner.AllHandled());
            QVERIFY2(status.contains(QString::fromLatin1(c.said)),
                     qPrintable(QString::fromLatin1(c.what) + ": " + status));
        }
    }
};

QTEST_MAIN(SyncDialogTest)
#include "SyncDialogTest.moc"

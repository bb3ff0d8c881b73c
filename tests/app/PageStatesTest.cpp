// What the page shows a person beyond its data: the port search window and the way out of it,
// fields that look and act read-only where they are, the highlighted row in group view, text
// the handset cannot show, and the program's icon.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <optional>

#include "WindowTestSupport.h"
#include "app/AboutDialog.h"
#include "app/MainWindow.h"
#include "support/BookBuilder.h"
#include "sync/SyncEngine.h"
#include "ui/GroupDialogs.h"
#include "ui/PageTestCase.h"

using namespace numora;
using namespace numora::test;

namespace {

// A port where only one device is there, and it never answers.
class SilentPort : public Port {
public:
    explicit SilentPort(std::string name) : m_name(std::move(name)) {}
    bool Open(const std::string& name, int) override {
        opened.push_back(name);
        m_open = name == m_name;
        return m_open;
    }
    void Close() override { m_open = false; }
    bool IsOpen() const override { return m_open; }
    int Write(std::span<const uint8_t> bytes) override { return static_cast<int>(bytes.size()); }
    std::vector<std::string> opened;

private:
    std::string m_name;
    bool m_open = false;
};

// Typed characters, one key event each, as a keyboard (or an input method) sends them.
void Type(QLineEdit* edit, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype width = text[i].isHighSurrogate() ? 2 : 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, width));
        QApplication::sendEvent(edit, &press);
        i += width - 1;
    }
}

// The colour an edit is drawn in, away from its text and its frame.
QColor FieldColour(QLineEdit* edit) {
    const QImage image = edit->grab().toImage();
    return image.pixelColor(image.width() - 5, image.height() / 2);
}

}  // namespace

class PageStatesTest : public PageTestCase {
    Q_OBJECT

private slots:

    void closingTheSearchWindowCancelsTheSearch_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Escape") << true;
        QTest::newRow("close box") << false;
    }

    // The book the window held stays: a read that took nothing replaces nothing.
    void closingTheSearchWindowCancelsTheSearch() {
        QFETCH(bool, escape);
        SilentPort port("COM4");
        FakeClock clock;
        MemoryProfile profile;
        profile.SetString(kPortSection, kPortKey, "3");
        PhoneBookPage page(port, clock, profile);
        test::AddEntry(page.Book(), 5, "Kept", 3, "0555");
        page.show();
        QSignalSpy ended(&page, &PhoneBookPage::runEnded);
        page.StartUp(PortTable{});
        QPointer<PortSearchDialog> search = page.SearchDialog();
        QVERIFY(search != nullptr);
        // The window follows the search from port to port.
        QCOMPARE(search->Status(), QStringLiteral(" Port Searching..."));
        clock.Advance(kOpenFailedIntervalMs);
        QCOMPARE(search->Status(), QStringLiteral(" COM4 Port Open..."));
        QVERIFY(port.IsOpen());
        QVERIFY(!page.findChild<QPushButton*>(QStringLiteral("fileOpenButton"))->isEnabled());

        if (escape) {
            QTest::keyClick(search, Qt::Key_Escape);
        } else {
            search->close();
        }
        QCOMPARE(ended.first().first().value<RunOutcome>(), RunOutcome::Cancelled);
        QVERIFY(!port.IsOpen());
        QVERIFY(!page.Locked());
        for (const char* name : {"readButton", "writeButton", "fileOpenButton", "saveButton"})
            QVERIFY2(page.findChild<QPushButton*>(QString::fromLatin1(name))->isEnabled(), name);
        QCOMPARE(page.ProgressPos(), 0);
        // The search is over: nothing more is tried, and the window is gone.
        const std::size_t tries = port.opened.size();
        clock.Advance(kDefaultSearchTimeoutMs * 2);
        QCOMPARE(port.opened.size(), tries);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(runner->messages, QStringList());
        QCOMPARE(page.Book().CountUsedEntries(), 1);
        QVERIFY(!page.BookFromIncompleteRead());
        QApplication::processEvents();
        QVERIFY(search.isNull());
    }

    // No handset within the search's time: the connection message and its cause, and the
    // window's book as it was, not "read in part".
    void aSearchThatFindsNoHandsetKeepsTheBook() {
        SilentPort port("COM4");
        FakeClock clock;
        MemoryProfile profile;
        PhoneBookPage page(port, clock, profile);
        test::AddEntry(page.Book(), 5, "Kept", 3, "0555");
        QSignalSpy ended(&page, &PhoneBookPage::runEnded);
        page.OnReadFromPhone();
        clock.Advance(kDefaultSearchTimeoutMs * 2);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(runner->messages.size(), 2);
        QVERIFY(runner->messages.first().startsWith(QStringLiteral("Check Phone connection")));
        QCOMPARE(page.Book().CountUsedEntries(), 1);
        QVERIFY(!page.BookFromIncompleteRead());
    }

    // Fields that only show a value are drawn grey and take no focus, as are the fixed group
    // names.
    void displayFieldsLookAndActReadOnly() {
        const QColor editable = FieldColour(rig->Find<QLineEdit>("nameEdit"));
        for (const char* display : {"idEdit", "mobileSpeedDial", "faxSpeedDial"}) {
            auto* box = rig->Find<QLineEdit>(display);
            QVERIFY2(box->isReadOnly(), display);
            QCOMPARE(box->focusPolicy(), Qt::NoFocus);
            QVERIFY2(FieldColour(box) != editable, display);
        }
        GroupEditDialog fixed(GroupKind::Group, 1, QStringLiteral("Family"));
        GroupEditDialog own(GroupKind::Group, 3, QStringLiteral("Fam"));
        QCOMPARE(fixed.NameEdit()->focusPolicy(), Qt::NoFocus);
        QVERIFY(fixed.NameEdit()->isReadOnly());
        QCOMPARE(own.NameEdit()->focusPolicy(), Qt::StrongFocus);
    }

    // Group view: the members in their own rows, and the panel read-only (drawn so, passed by
    // Tab), its buttons, lists and their keys doing nothing, until "All" again.
    void groupViewShowsMembersReadOnly() {
        rig->Load([](PhoneBook& book) { AddEntry(book, 250, "Zoe", 2); });
        ClickCell(rig->page.List(), 7);
        rig->ChooseFilter(QStringLiteral("Friends"));
        QCOMPARE(rig->Cell(7, col::kName), QStringLiteral("Dora"));
        QCOMPARE(rig->Cell(250, col::kName), QStringLiteral("Zoe"));
        QCOMPARE(rig->Cell(0, col::kName), QString());
        QCOMPARE(rig->Cell(3, 0), QStringLiteral("  3 "));
        for (const char* name :
             {"saveButton", "deleteButton", "resetButton", "mobileSelect", "faxSelect"})
            QVERIFY2(!rig->Find<QPushButton>(name)->isEnabled(), name);
        const QColor shown = FieldColour(rig->Find<QLineEdit>("idEdit"));
        for (const char* field : {"nameEdit", "mobileEdit", "faxEdit", "emailEdit", "memoEdit"}) {
            auto* edit = rig->Find<QLineEdit>(field);
            QVERIFY2(edit->isReadOnly(), field);
            QCOMPARE(edit->focusPolicy(), Qt::ClickFocus);
            QCOMPARE(FieldColour(edit), shown);
        }
        for (const char* list : {"ringerCombo", "msgRingerCombo", "graphicCombo", "groupCombo"})
            QVERIFY2(!rig->Find<QComboBox>(list)->isEnabled(), list);
        QVERIFY(!rig->Find<QCheckBox>("secretCheck")->isEnabled());
        QVERIFY(rig->Find<QComboBox>("filterCombo")->isEnabled());
        QVERIFY(rig->page.List()->isEnabled());
        PressKey(rig->page.List(), Qt::Key_Delete);
        QTest::keyClick(rig->Find<QLineEdit>("nameEdit"), Qt::Key_Return);
        QVERIFY(rig->page.Book().IsValidEntry(7));
        QCOMPARE(runner->messages, QStringList());

        rig->ChooseFilter(QStringLiteral("All"));
        auto* name = rig->Find<QLineEdit>("nameEdit");
        QVERIFY(!name->isReadOnly());
        QCOMPARE(name->focusPolicy(), Qt::StrongFocus);
        QVERIFY(FieldColour(name) != shown);
        QVERIFY(rig->Find<QPushButton>("mobileSelect")->isEnabled());
        QVERIFY(rig->Find<QComboBox>("graphicCombo")->isEnabled());
        QCOMPARE(rig->Cell(0, col::kName), QStringLiteral("Anna"));
    }
    // Each key its own event: letters with a handset form, the euro spelled out, an accent
    // typed after its letter, and characters with no form (one a surrogate pair) refused.
    void textTurnsIntoWhatTheHandsetShows() {
        const QString typed = QStringLiteral("Zo\u00EB \u20AC Jose\u0301 A\u0416\U0001F600B");
        const QString shown = QStringLiteral("Zo\u00EB EUR Jos\u00E9 AB");
        ClickCell(rig->page.List(), 2);  // an empty slot
        auto* name = rig->Find<QLineEdit>("nameEdit");
        Type(name, typed);
        QCOMPARE(name->text(), shown);
        QCOMPARE(name->cursorPosition(), shown.size());

        rig->Find<QLineEdit>("mobileEdit")->setText(QStringLiteral("0123"));
        rig->Click("saveButton");
        PBEntry e;
        QVERIFY(rig->page.Book().GetEntry(2, e));
        QCOMPARE(FromBytes(TextOf(e.name)), shown);
        QCOMPARE(runner->messages, QStringList());

        // Pasted text follows the same rule.
        auto* memo = rig->Find<QLineEdit>("memoEdit");
        memo->setText(QStringLiteral("pay 5 then"));
        memo->setCursorPosition(6);
        memo->insert(QStringLiteral("\u20AC "));
        QCOMPARE(memo->text(), QStringLiteral("pay 5 EUR then"));
        QCOMPARE(memo->cursorPosition(), 10);

        // A form that would no longer fit the field is refused whole, as is a character with
        // no form at all: nothing is cut or changed unseen.
        const QString fifteen(15, QLatin1Char('n'));
        name->setText(fifteen);
        name->end(false);
        name->insert(QStringLiteral("\u20AC"));
        QCOMPARE(name->text(), fifteen);
        name->insert(QStringLiteral("\u03A9"));
        QCOMPARE(name->text(), fifteen);

        GroupEditDialog own(GroupKind::Group, 3, QStringLiteral("Fam"));
        own.NameEdit()->selectAll();
        own.NameEdit()->insert(QStringLiteral("\u0141\u00F3d\u017A"));
        QCOMPARE(own.NameEdit()->text(), QStringLiteral("L\u00F3dz"));
    }
};

QTEST_MAIN(PageStatesTest)
#include "PageStatesTest.moc"

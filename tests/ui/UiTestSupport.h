// Helpers for the window tests: a modal runner that records message boxes and lets each test
// drive the dialogs the window opens, a port that is never there, and mouse and key input on
// the real list widgets.
#pragma once

#include <QAbstractItemModel>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <deque>
#include <functional>
#include <initializer_list>
#include <span>
#include <vector>

#include "browse/ListText.h"
#include "link/Port.h"
#include "link/Profile.h"
#include "support/BookBuilder.h"
#include "support/FakeClock.h"
#include "ui/Modal.h"
#include "ui/PhoneBookPage.h"
#include "ui/ReportList.h"

namespace numora::test {

class TestRunner : public IModalRunner {
public:
    using Handler = std::function<int(QDialog&)>;

    TestRunner() { SetModalRunner(this); }
    ~TestRunner() override { SetModalRunner(nullptr); }
    TestRunner(const TestRunner&) = delete;
    TestRunner& operator=(const TestRunner&) = delete;

    // The next dialog the window runs goes to this handler; a dialog nobody expects is
    // cancelled and counted.
    void Expect(Handler handler) { m_handlers.push_back(std::move(handler)); }

    int Run(QDialog& dialog) override {
        ++dialogsRun;
        if (m_handlers.empty()) {
            ++unexpectedDialogs;
            return QDialog::Rejected;
        }
        Handler handler = std::move(m_handlers.front());
        m_handlers.pop_front();
        dialog.show();
        QCoreApplication::processEvents();
        const int result = handler(dialog);
        dialog.hide();
        return result;
    }

    void Message(QWidget*, const QString& text) override { messages << text; }
    // Questions are recorded and answered with `answer`.
    bool Ask(QWidget*, const QString& text) override {
        questions << text;
        return answer;
    }
    // Choices are recorded with the question and answered with `choice`.
    std::optional<int> Choose(QWidget*, const QString& text, const QStringList& offered) override {
        questions << text + " [" + offered.join('|') + ']';
        return choice;
    }

    bool AllHandled() const { return m_handlers.empty(); }

    QStringList messages;
    QStringList questions;
    bool answer = true;
    std::optional<int> choice;
    int dialogsRun = 0;
    int unexpectedDialogs = 0;

private:
    std::deque<Handler> m_handlers;
};

// A serial port with no device behind it: every open fails.
class AbsentPort : public IPort {
public:
    bool Open(const std::string&, int) override {
        ++opens;
        return false;
    }
    void Close() override {}
    bool IsOpen() const override { return false; }
    int Write(std::span<const uint8_t>) override { return 0; }
    int opens = 0;
};

inline QPoint CellCentre(const ReportList* list, int row, int col) {
    return list->visualRect(list->model()->index(row, col)).center();
}

// The cell is on the screen whole, without scrolling the list.
inline bool ShowsWhole(const ReportList* list, int row, int col) {
    return list->viewport()->rect().contains(list->visualRect(list->model()->index(row, col)));
}

// A left click on a cell, and the queued notifications it posts delivered.
inline void ClickCell(ReportList* list, int row, int col = 1) {
    list->scrollTo(list->model()->index(row, col));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(list, row, col));
    QCoreApplication::processEvents();
}

inline void DoubleClickCell(ReportList* list, int row, int col = 1) {
    list->scrollTo(list->model()->index(row, col));
    const QPoint at = CellCentre(list, row, col);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCoreApplication::processEvents();
}

template <typename T>
T* FindIn(const QObject& parent, const char* name) {
    return parent.findChild<T*>(QString::fromLatin1(name));
}

inline void ClickButton(const QObject& parent, const char* name) {
    QTest::mouseClick(FindIn<QPushButton>(parent, name), Qt::LeftButton);
}

inline void PressKey(QWidget* widget, Qt::Key key) {
    QTest::keyClick(widget, key);
    QCoreApplication::processEvents();
}

// The book most page tests start from. Group 3 "Fam" follows "Family", whose name it begins.
//   slot 0 Anna, Family, mobile 0101234567 with speed dial 5, home 0207654321 with 9
//   slot 1 Bert, Fam, mobile 0111111111
//   slot 3 Carl, Etc., home 0333, pager 0555 with 12, ringer 104, message ringer 302
//   slot 7 Dora, Friends, mobile 0777, e-mail, secret, ringer 150 (a downloaded sound)
inline void FillTestBook(PhoneBook& book) {
    book.SetGroup(0, "All");
    book.SetGroup(1, "Family");
    book.SetGroup(2, "Friends");
    book.SetGroup(3, "Fam");
    book.SetGroup(6, "Etc.");
    book.SetSmsGroupName(0, "Club");
    book.SetSmsGroupName(1, "Team");
    PBEntry anna = MakeEntry(0, "Anna", 1, "0101234567");
    SetNumber(anna.numbers[1], "0207654321");
    book.SetEntry(anna);
    AddEntry(book, 1, "Bert", 3, "0111111111");
    PBEntry carl = MakeEntry(3, "Carl", 6, "");
    SetNumber(carl.numbers[1], "0333");
    SetNumber(carl.numbers[3], "0555");
    carl.ringer = 104;
    carl.msgRinger = 302;
    book.SetEntry(carl);
    PBEntry dora = MakeEntry(7, "Dora", 2, "0777");
    SetText(dora.email, "dora@example.org");
    dora.secret = 1;
    dora.ringer = 150;
    book.SetEntry(dora);
    book.SetSpeedDial(5, 0, NumberKind::Mobile);
    book.SetSpeedDial(9, 0, NumberKind::Home);
    book.SetSpeedDial(12, 3, NumberKind::Pager);
}

// A page on its own, without a handset, shown on the offscreen screen.
struct PageRig {
    AbsentPort port;
    FakeClock clock;
    MemoryProfile profile;
    PhoneBookPage page{port, clock, profile};

    PageRig() { page.show(); }

    // Shows the book as a file load does.
    void Load(void (*fill)(PhoneBook&) = FillTestBook) {
        fill(page.Book());
        page.FillGroupCombos();
        page.FillSmsGroupCombo();
        page.RefreshList();
    }

    template <typename T>
    T* Find(const char* name) const {
        return FindIn<T>(page, name);
    }
    QString Cell(int row, int col) const { return page.List()->CellText(row, col); }

    // The texts the named edits and combos show, to compare with one list.
    QStringList Texts(std::initializer_list<const char*> names) const {
        QStringList texts;
        for (const char* name : names) {
            if (auto* edit = Find<QLineEdit>(name)) {
                texts << edit->text();
            } else {
                auto* combo = Find<QComboBox>(name);
                texts << (combo != nullptr ? combo->currentText() : QStringLiteral("?"));
            }
        }
        return texts;
    }
    QStringList Items(const char* name) const {
        const auto* combo = Find<QComboBox>(name);
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items;
    }
    void Click(const char* button) { ClickButton(page, button); }

    // Picks a group in the filter as the user does.
    void ChooseFilter(const QString& text) {
        auto* filter = Find<QComboBox>("filterCombo");
        const int index = filter->findText(text);
        QVERIFY(index >= 0);
        filter->setCurrentIndex(index);
        emit filter->activated(index);
    }
};

}  // namespace numora::test

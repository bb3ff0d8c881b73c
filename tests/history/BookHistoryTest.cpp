#include "history/BookHistory.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <thread>

#include "book/BookDiff.h"
#include "support/BookBuilder.h"

namespace numora {
namespace {

PhoneBook BookWith(int n) {
    PhoneBook book;
    test::AddEntry(book, n % kEntrySlots, "Entry", kEtcGroup, "0" + std::to_string(1000 + n));
    return book;
}

class BookHistoryTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    BookHistory history{dir.filePath(QStringLiteral("history"))};
};

TEST_F(BookHistoryTest, KeepsEachNewVersionOnceAndBringsItBackExactly) {
    PhoneBook book = BookWith(1);
    PBEntry e = book.Entry(1);
    e.ringer = 4321;  // a downloaded sound survives the snapshot
    book.SetEntry(e);
    ASSERT_TRUE(history.Record(book, QString::fromLatin1(history::kRead)));
    ASSERT_TRUE(history.Record(book, QString::fromLatin1(history::kSaved)));
    ASSERT_TRUE(history.Record(BookWith(2), QString::fromLatin1(history::kOpened)));

    const auto list = history.List();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].id, QStringLiteral("2"));
    EXPECT_EQ(list[0].what, QStringLiteral("file opened"));
    EXPECT_EQ(list[1].what, QStringLiteral("read from phone"));
    EXPECT_EQ(list[1].entries, 1);
    EXPECT_LE(qAbs(list[1].time.secsTo(QDateTime::currentDateTimeUtc())), 5);

    PhoneBook back = BookWith(7);
    ASSERT_TRUE(history.Load(list[1].id, back));
    EXPECT_TRUE(CompareBooks(book, back).empty());
    EXPECT_FALSE(history.Load(QStringLiteral("3"), back));
    EXPECT_FALSE(history.Load(QStringLiteral("../1"), back));
    EXPECT_TRUE(CompareBooks(book, back).empty());
    EXPECT_TRUE(history.TakeFailure().isEmpty());
}

TEST_F(BookHistoryTest, AStoppedWriteIsNotTheLastWordOnABookThatLaterWentThrough) {
    ASSERT_TRUE(history.Record(BookWith(1), QString::fromLatin1(history::kWriteStopped)));
    ASSERT_TRUE(history.Record(BookWith(1), QString::fromLatin1(history::kWriteStopped)));
    ASSERT_TRUE(history.Record(BookWith(1), QString::fromLatin1(history::kWritten)));
    ASSERT_TRUE(history.Record(BookWith(1), QString::fromLatin1(history::kWritten)));
    const auto list = history.List();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].what, QStringLiteral("written to phone"));
    EXPECT_EQ(list[1].what, QStringLiteral("write to phone stopped"));
}

TEST_F(BookHistoryTest, EditsAreKeptOnlyWhenNoSnapshotHoldsThem) {
    ASSERT_TRUE(history.RecordEdits(PhoneBook(), QStringLiteral("edits")));
    EXPECT_TRUE(history.List().empty());
    ASSERT_TRUE(history.Record(BookWith(1), QStringLiteral("read")));
    ASSERT_TRUE(history.RecordEdits(BookWith(1), QStringLiteral("edits")));
    EXPECT_EQ(history.List().size(), 1u);
    ASSERT_TRUE(history.RecordEdits(BookWith(2), QStringLiteral("edits")));
    EXPECT_EQ(history.List().size(), 2u);
    // A restored snapshot is the base the next edits are measured from.
    PhoneBook restored;
    ASSERT_TRUE(history.Load(QStringLiteral("1"), restored, true));
    ASSERT_TRUE(history.RecordEdits(restored, QStringLiteral("edits")));
    EXPECT_EQ(history.List().size(), 2u);
}

TEST_F(BookHistoryTest, KeepsTheLastTwoHundredAndEverythingOfNinetyDays) {
    QDateTime now = QDateTime::currentDateTimeUtc();
    QDateTime clock = now.addDays(-100);
    history.SetClock([&clock] { return clock; });
    for (int n = 0; n < 3; ++n)
        ASSERT_TRUE(history.Record(BookWith(n), QStringLiteral("old")));
    clock = now.addDays(-80);
    for (int n = 3; n < 5; ++n)
        ASSERT_TRUE(history.Record(BookWith(n), QStringLiteral("recent")));
    clock = now;
    for (int n = 5; n < BookHistory::kKeepCount + 5; ++n)
        ASSERT_TRUE(history.Record(BookWith(n), QStringLiteral("now")));

    const auto list = history.List();
    // 205 stored: beyond the last 200, the three older than 90 days go, the two of 80 days stay.
    ASSERT_EQ(list.size(), static_cast<std::size_t>(BookHistory::kKeepCount + 2));
    EXPECT_EQ(list.back().id, QStringLiteral("4"));
    EXPECT_EQ(list.back().what, QStringLiteral("recent"));
    EXPECT_EQ(QDir(history.Folder()).entryList(QDir::Files).size(),
              2 * static_cast<int>(list.size()));

    // A snapshot whose time cannot be read is never taken for an old one.
    QFile record(history.Folder() + QStringLiteral("/4.json"));
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write(R"({"time":"yesterday","what":"recent","entries":1})");
    record.close();
    clock = now.addDays(100);
    ASSERT_TRUE(history.Record(BookWith(999), QStringLiteral("later")));
    EXPECT_EQ(history.List().back().id, QStringLiteral("4"));
    EXPECT_EQ(history.List().size(), static_cast<std::size_t>(BookHistory::kKeepCount + 1));
}

// Two programs storing at once each take an id of their own, and each record pairs with its own
// book.
TEST_F(BookHistoryTest, TwoProgramsStoringAtOnceKeepEverySnapshotWhole) {
    constexpr int kEach = 40;
    const auto store = [this](int from) {
        BookHistory mine(history.Folder());
        for (int n = from; n < from + kEach; ++n)
            EXPECT_TRUE(mine.Record(BookWith(n), QString::number(n)));
    };
    std::thread a(store, 0);
    std::thread b(store, 100);
    a.join();
    b.join();
    const auto list = history.List();
    ASSERT_EQ(list.size(), 2u * kEach);
    for (const SnapshotInfo& s : list) {
        PhoneBook book;
        ASSERT_TRUE(history.Load(s.id, book)) << s.id.toStdString();
        EXPECT_TRUE(CompareBooks(book, BookWith(s.what.toInt())).empty()) << s.id.toStdString();
    }
}

// A snapshot is checked as a phone-book file is: listed with its problem, and never brought
// back when it is not whole.
TEST_F(BookHistoryTest, ADamagedSnapshotIsNamedAndNeverRestored) {
    ASSERT_TRUE(history.Record(BookWith(1), QString::fromLatin1(history::kRead)));
    const QString book = history.Folder() + QStringLiteral("/1.pb");
    const QString record = history.Folder() + QStringLiteral("/1.json");
    QFile f(book);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray whole = f.readAll();
    f.close();
    QByteArray noise(whole.size(), '\0');
    for (qsizetype k = 0; k < noise.size(); ++k)
        noise[k] = static_cast<char>((k * 7919) >> 3);
    QJsonObject big = QJsonDocument::fromJson([&] {
                          QFile r(record);
                          return r.open(QIODevice::ReadOnly) ? r.readAll() : QByteArray();
                      }())
                          .object();
    big[QStringLiteral("note")] = QString(10000, 'x');  // a record of any size is read
    struct Case {
        const char* name;
        QByteArray bookBytes;  // empty: no book at all
        QByteArray recordBytes;
        const char* listed;   // the problem as listed, "" for none
        const char* refused;  // why Load refuses, "" when it brings the book back
    };
    const std::vector<Case> cases = {
        {"whole, large record", whole, QJsonDocument(big).toJson(), "", ""},
        {"cut short", whole.left(whole.size() - 50), {}, "truncated", "truncated"},
        {"noise of its size",
         noise,
         {},
         "not the one its record describes",
         "not the one its record describes"},
        {"other noise",
         noise + noise,
         {},
         "not the one its record describes",
         "not the one its record describes"},
        {"no book", {}, {}, "missing", "missing"},
        {"record unreadable", whole, "{not json", "record cannot be read", "record cannot be read"},
    };
    QFile r(record);
    ASSERT_TRUE(r.open(QIODevice::ReadOnly));
    const QByteArray sound = r.readAll();
    r.close();
    for (const Case& c : cases) {
        QFile::remove(book);
        if (!c.bookBytes.isEmpty()) {
            QFile out(book);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(c.bookBytes);
        }
        QFile out(record);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(c.recordBytes.isEmpty() ? sound : c.recordBytes);
        out.close();
        const auto list = history.List();
        ASSERT_EQ(list.size(), 1u) << c.name;
        EXPECT_TRUE(list[0].problem.contains(QLatin1String(c.listed))) << c.name;
        EXPECT_EQ(list[0].problem.isEmpty(), *c.listed == '\0') << c.name;
        PhoneBook loaded = BookWith(7);
        QString why;
        EXPECT_EQ(history.Load(QStringLiteral("1"), loaded, false, &why), *c.refused == '\0')
            << c.name;
        EXPECT_TRUE(why.contains(QLatin1String(c.refused))) << c.name << ": " << why.toStdString();
        // A refused snapshot leaves the book as it was.
        EXPECT_EQ(CompareBooks(loaded, BookWith(7)).empty(), *c.refused != '\0') << c.name;
    }
}

// The write's guard compares with the newest whole snapshot of what the handset held.
TEST_F(BookHistoryTest, TheNewestBookFromThePhoneIsTheLastReadOrWrittenThatIsWhole) {
    PhoneBook held;
    EXPECT_FALSE(history.NewestFromPhone(held).has_value());
    ASSERT_TRUE(history.Record(BookWith(1), QString::fromLatin1(history::kRead)));
    ASSERT_TRUE(history.Record(BookWith(2), QString::fromLatin1(history::kWritten)));
    ASSERT_TRUE(history.Record(BookWith(3), QString::fromLatin1(history::kOpened)));
    EXPECT_EQ(history.LastId(), QStringLiteral("3"));
    ASSERT_EQ(history.NewestFromPhone(held)->id, QStringLiteral("2"));
    EXPECT_TRUE(CompareBooks(held, BookWith(2)).empty());
    QFile::resize(history.Folder() + QStringLiteral("/2.pb"), 100);
    ASSERT_EQ(history.NewestFromPhone(held)->id, QStringLiteral("1"));
    EXPECT_TRUE(CompareBooks(held, BookWith(1)).empty());
}

TEST_F(BookHistoryTest, AFailureIsReportedOnceAndLosesNothingStored) {
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    BookHistory blocked(dir.filePath(QStringLiteral("file/history")));
    EXPECT_FALSE(blocked.Record(BookWith(1), QStringLiteral("read")));
    EXPECT_FALSE(blocked.Record(BookWith(2), QStringLiteral("read")));
    EXPECT_FALSE(blocked.TakeFailure().isEmpty());
    EXPECT_FALSE(blocked.Record(BookWith(3), QStringLiteral("read")));
    EXPECT_TRUE(blocked.TakeFailure().isEmpty());
    EXPECT_TRUE(blocked.List().empty());
}

}  // namespace
}  // namespace numora

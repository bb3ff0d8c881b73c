#include "history/BookHistory.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "book/BookDiff.h"
#include "support/BookBuilder.h"

namespace numora {
namespace {

CPBData BookWith(int n) {
    CPBData book;
    test::AddEntry(book, n % kEntrySlots, "Entry", kEtcGroup, "0" + std::to_string(1000 + n));
    return book;
}

class BookHistoryTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    CBookHistory history{dir.filePath(QStringLiteral("history"))};
};

TEST_F(BookHistoryTest, KeepsEachNewVersionOnceAndBringsItBackExactly) {
    CPBData book = BookWith(1);
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

    CPBData back = BookWith(7);
    ASSERT_TRUE(history.Load(list[1].id, back));
    EXPECT_TRUE(CompareBooks(book, back).empty());
    EXPECT_FALSE(history.Load(QStringLiteral("3"), back));
    EXPECT_FALSE(history.Load(QStringLiteral("../1"), back));
    EXPECT_TRUE(CompareBooks(book, back).empty());
    EXPECT_TRUE(history.TakeFailure().isEmpty());
}

TEST_F(BookHistoryTest, EditsAreKeptOnlyWhenNoSnapshotHoldsThem) {
    ASSERT_TRUE(history.RecordEdits(CPBData(), QStringLiteral("edits")));
    EXPECT_TRUE(history.List().empty());
    ASSERT_TRUE(history.Record(BookWith(1), QStringLiteral("read")));
    ASSERT_TRUE(history.RecordEdits(BookWith(1), QStringLiteral("edits")));
    EXPECT_EQ(history.List().size(), 1u);
    ASSERT_TRUE(history.RecordEdits(BookWith(2), QStringLiteral("edits")));
    EXPECT_EQ(history.List().size(), 2u);
    // A restored snapshot is the base the next edits are measured from.
    CPBData restored;
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
    for (int n = 5; n < CBookHistory::kKeepCount + 5; ++n)
        ASSERT_TRUE(history.Record(BookWith(n), QStringLiteral("now")));

    const auto list = history.List();
    // 205 stored: beyond the last 200, the three older than 90 days go, the two of 80 days stay.
    ASSERT_EQ(list.size(), static_cast<std::size_t>(CBookHistory::kKeepCount + 2));
    EXPECT_EQ(list.back().id, QStringLiteral("4"));
    EXPECT_EQ(list.back().what, QStringLiteral("recent"));
    EXPECT_EQ(QDir(history.Folder()).entryList(QDir::Files).size(),
              2 * static_cast<int>(list.size()));
}

TEST_F(BookHistoryTest, AFailureIsReportedOnceAndLosesNothingStored) {
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    CBookHistory blocked(dir.filePath(QStringLiteral("file/history")));
    EXPECT_FALSE(blocked.Record(BookWith(1), QStringLiteral("read")));
    EXPECT_FALSE(blocked.Record(BookWith(2), QStringLiteral("read")));
    EXPECT_FALSE(blocked.TakeFailure().isEmpty());
    EXPECT_FALSE(blocked.Record(BookWith(3), QStringLiteral("read")));
    EXPECT_TRUE(blocked.TakeFailure().isEmpty());
    EXPECT_TRUE(blocked.List().empty());
}

}  // namespace
}  // namespace numora

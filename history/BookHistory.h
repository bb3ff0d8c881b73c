// The book's history: every version of the book the programs had in hand, kept as snapshots in
// the user's data folder, so that no read, open, import or write can lose a book for good. A
// snapshot is a phone-book file `<id>.pb` (codes kept as they stand) with a small record
// `<id>.json` of when it was taken, what happened, how many entries it holds, and the size and
// SHA-256 of its book, so that a record pairs with its own book only. Ids count up from 1 and
// are taken under a lock in the folder, so that programs running at once each keep their own.
// A snapshot equal to the newest is not stored twice; the last 200 and everything of the last
// 90 days are kept, older ones go first, and one whose time cannot be read is never pruned. A
// snapshot is checked as a phone-book file is: a damaged one is listed as such and never
// brought back.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "book/PhoneBook.h"

namespace numora {

// What happened to the book, as the history lists it.
namespace history {
inline constexpr char kRead[] = "read from phone";
inline constexpr char kWritten[] = "written to phone";
inline constexpr char kWriteStopped[] = "write to phone stopped";
inline constexpr char kOpened[] = "file opened";
inline constexpr char kSaved[] = "file saved";
inline constexpr char kImported[] = "contacts imported";
inline constexpr char kRestored[] = "restored";
inline constexpr char kBeforeRead[] = "edits before a read";
inline constexpr char kBeforeOpen[] = "edits before a file open";
inline constexpr char kBeforeImport[] = "edits before an import";
inline constexpr char kBeforeRestore[] = "edits before a restore";
inline constexpr char kOnClose[] = "edits when the window closed";
}  // namespace history

struct SnapshotInfo {
    QString id;
    QDateTime time;  // UTC; invalid when the record does not say
    QString what;
    int entries = 0;
    QString problem;  // why the snapshot cannot be brought back; empty when it can
};

class BookHistory {
public:
    static constexpr int kKeepCount = 200;
    static constexpr int kKeepDays = 90;
    // How long a program waits for another one to finish storing its snapshot.
    static constexpr int kLockWaitMs = 10000;

    // The user's history folder: `numora/history` in the user's local data folder (on Linux
    // `$XDG_DATA_HOME/numora/history`).
    static QString DefaultFolder();

    explicit BookHistory(QString folder = DefaultFolder());

    const QString& Folder() const { return m_folder; }

    // Keeps the book as the newest snapshot unless the newest already holds it. False when it
    // could not be stored (the reason then waits in TakeFailure); the caller goes on.
    bool Record(const PhoneBook& book, const QString& what);
    // The snapshot that holds the book of the last Record or RecordEdits that kept it; empty
    // when none did.
    const QString& LastId() const { return m_lastId; }

    // Keeps the book only when it holds something that the last snapshot this history recorded
    // or restored does not: the edits about to be replaced or dropped. An empty book has
    // nothing to lose.
    bool RecordEdits(const PhoneBook& book, const QString& what);

    // The snapshots, newest first, each with its problem when its record cannot be read or its
    // book is missing, cut short or not the size its record gives (the books are not read).
    std::vector<SnapshotInfo> List() const;

    // The snapshot's book; false (book untouched, the reason in `why`) when there is no such
    // snapshot, or its book is missing, cut short, damaged or not its record's. Sets the base
    // RecordEdits compares with when `asBase`.
    bool Load(const QString& id, PhoneBook& book, bool asBase = false, QString* why = nullptr);

    // The newest sound snapshot of a book the handset held (read from it or written to it), into
    // `book`; nothing when there is none.
    std::optional<SnapshotInfo> NewestFromPhone(PhoneBook& book);

    // The reason of the first failure to store, once; empty afterwards and while all is well.
    QString TakeFailure();

    // For tests: the clock that dates snapshots and decides which are old.
    void SetClock(std::function<QDateTime()> now) { m_now = std::move(now); }

private:
    // The ids that have a record, ascending; with `books`, also those with only a book.
    std::vector<int> Ids(bool books = false) const;
    bool Store(const std::vector<uint8_t>& bytes, const QString& what, int entries);
    bool StoreLocked(const QByteArray& bytes, const QString& what, int entries);
    void Prune(std::vector<int> ids);
    // With `readBook`, the book's bytes are checked against the record's SHA-256 as well, as a
    // restore checks them; what only the record tells needs no reading of the book.
    SnapshotInfo Info(int id, bool readBook = false) const;
    QJsonObject RecordOf(int id) const;
    void Fail(const QString& reason);
    QString PathOf(int id, const char* extension) const;
    // Every file of the history is written here.
    bool WriteHistoryFile(const QString& path, const QByteArray& bytes, QString* reason);

    QString m_folder;
    std::function<QDateTime()> m_now;
    QByteArray m_base;  // the book last recorded or restored
    QString m_lastId;
    QString m_failure;
    bool m_failureReported = false;
};

}  // namespace numora

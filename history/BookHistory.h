// The book's history: every version of the book the programs had in hand, kept as snapshots in
// the user's data folder, so that no read, open, import or write can lose a book for good. A
// snapshot is a phone-book file `<id>.pb` (codes kept as they stand) with a small record
// `<id>.json` of when it was taken, what happened and how many entries it holds. Ids count up
// from 1. A snapshot equal to the newest is not stored twice; the last 200 and everything of
// the last 90 days are kept, older ones go first.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "book/PBData.h"

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
    QDateTime time;  // UTC
    QString what;
    int entries = 0;
};

class CBookHistory {
public:
    static constexpr int kKeepCount = 200;
    static constexpr int kKeepDays = 90;

    // The user's history folder: `numora/history` in the user's local data folder (on Linux
    // `$XDG_DATA_HOME/numora/history`).
    static QString DefaultFolder();

    explicit CBookHistory(QString folder = DefaultFolder());

    const QString& Folder() const { return m_folder; }

    // Keeps the book as the newest snapshot unless the newest already holds it. False when it
    // could not be stored (the reason then waits in TakeFailure); the caller goes on.
    bool Record(const CPBData& book, const QString& what);

    // Keeps the book only when it holds something that the last snapshot this history recorded
    // or restored does not: the edits about to be replaced or dropped. An empty book has
    // nothing to lose.
    bool RecordEdits(const CPBData& book, const QString& what);

    // The snapshots, newest first.
    std::vector<SnapshotInfo> List() const;

    // The snapshot's book; false (book untouched) when there is no such snapshot or it cannot
    // be read. Sets the base RecordEdits compares with when `asBase`.
    bool Load(const QString& id, CPBData& book, bool asBase = false);

    // The reason of the first failure to store, once; empty afterwards and while all is well.
    QString TakeFailure();

    // For tests: the clock that dates snapshots and decides which are old.
    void SetClock(std::function<QDateTime()> now) { m_now = std::move(now); }

private:
    std::vector<int> Ids() const;
    bool Store(const std::vector<uint8_t>& bytes, const QString& what, int entries);
    void Prune(std::vector<int> ids);
    void Fail(const QString& reason);
    QString PathOf(int id, const char* extension) const;
    // Every file of the history is written here.
    bool WriteHistoryFile(const QString& path, const QByteArray& bytes);

    QString m_folder;
    std::function<QDateTime()> m_now;
    QByteArray m_base;  // the book last recorded or restored
    QString m_failure;
    bool m_failureReported = false;
};

}  // namespace numora

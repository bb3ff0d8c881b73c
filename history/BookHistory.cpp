#include "history/BookHistory.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>

#include "book/Snapshot.h"
#include "files/SaveFile.h"

namespace numora {

namespace {

QByteArray ToArray(const std::vector<uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

// No phone book comes near this size, nor a record; a larger file is damaged, not read.
constexpr qint64 kMaxSnapshotBytes = 1 << 20;
constexpr qint64 kMaxRecordBytes = qint64{16} << 20;

enum class FileRead { Read, Missing, TooLarge };

FileRead ReadFile(const QString& path, QByteArray& bytes, qint64 limit) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return FileRead::Missing;
    if (file.size() > limit) return FileRead::TooLarge;
    bytes = file.readAll();
    return FileRead::Read;
}

QByteArray Sha256(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

const QByteArray& EmptyBookBytes() {
    static const QByteArray bytes = ToArray(SnapshotBytes(PhoneBook()));
    return bytes;
}

const QString kTruncated = QStringLiteral("truncated: its book is cut short");
const QString kDamaged = QStringLiteral("damaged: its book is not a whole phone book");
const QString kMismatch = QStringLiteral("damaged: its book is not the one its record describes");
const QString kNoBook = QStringLiteral("damaged: its book is missing");
const QString kNoRecord = QStringLiteral("damaged: its record cannot be read");

QString SizeProblem(qint64 size, const QJsonObject& record) {
    const QJsonValue recorded = record.value(QStringLiteral("bytes"));
    if (!recorded.isDouble()) return {};
    if (size < recorded.toInteger()) return kTruncated;
    if (size > recorded.toInteger()) return kMismatch;
    return {};
}

}  // namespace

QString BookHistory::DefaultFolder() {
    // The same folder for the window and the tool, whatever their application names.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/numora/history");
}

BookHistory::BookHistory(QString folder)
    : m_folder(std::move(folder)), m_now([] { return QDateTime::currentDateTimeUtc(); }) {}

QString BookHistory::PathOf(int id, const char* extension) const {
    return m_folder + '/' + QString::number(id) + QLatin1String(extension);
}

std::vector<int> BookHistory::Ids(bool books) const {
    std::vector<int> ids;
    QStringList patterns{QStringLiteral("*.json")};
    if (books) patterns << QStringLiteral("*.pb");
    for (const QString& name : QDir(m_folder).entryList(patterns, QDir::Files, QDir::NoSort)) {
        bool ok = false;
        const int id = name.left(name.lastIndexOf('.')).toInt(&ok);
        if (ok && id > 0) ids.push_back(id);
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

bool BookHistory::Record(const PhoneBook& book, const QString& what) {
    const std::vector<uint8_t> bytes = SnapshotBytes(book);
    return Store(bytes, what, book.CountUsedEntries());
}

bool BookHistory::RecordEdits(const PhoneBook& book, const QString& what) {
    const std::vector<uint8_t> bytes = SnapshotBytes(book);
    const QByteArray array = ToArray(bytes);
    if (array == m_base || array == EmptyBookBytes()) return true;
    return Store(bytes, what, book.CountUsedEntries());
}

bool BookHistory::Store(const std::vector<uint8_t>& bytes, const QString& what, int entries) {
    const QByteArray array = ToArray(bytes);
    m_base = array;
    m_lastId.clear();
    if (!QDir().mkpath(m_folder)) {
        Fail(QStringLiteral("cannot create the folder %1").arg(m_folder));
        return false;
    }
    // One program at a time takes an id, writes its snapshot and prunes.
    QLockFile lock(m_folder + QStringLiteral("/.lock"));
    if (!lock.tryLock(kLockWaitMs)) {
        // A full disk or a read-only folder fails the lock too: name what really stopped it.
        if (lock.error() == QLockFile::LockFailedError) {
            Fail(QStringLiteral("another program keeps %1 locked").arg(m_folder));
        } else {
            Fail(QStringLiteral("cannot write in %1: %2")
                     .arg(m_folder,
                          lock.error() == QLockFile::PermissionError
                              ? qt_error_string(EACCES)
                              : QStringLiteral("no room for a lock file (is the disk full?)")));
        }
        return false;
    }
    return StoreLocked(array, what, entries);
}

bool BookHistory::StoreLocked(const QByteArray& array, const QString& what, int entries) {
    const std::vector<int> ids = Ids();
    if (!ids.empty()) {
        QByteArray newest;
        // The same book is kept once, but a stopped write must not stay the last word on a
        // book that later went through.
        const bool stopped = Info(ids.back()).what == QLatin1String(history::kWriteStopped) &&
                             what != QLatin1String(history::kWriteStopped);
        if (!stopped &&
            ReadFile(PathOf(ids.back(), ".pb"), newest, kMaxSnapshotBytes) == FileRead::Read &&
            newest == array) {
            m_lastId = QString::number(ids.back());
            return true;
        }
    }
    // Past every id in use, also a book left without its record.
    const std::vector<int> taken = Ids(true);
    const int id = taken.empty() ? 1 : taken.back() + 1;
    QJsonObject record;
    record[QStringLiteral("time")] = m_now().toUTC().toString(Qt::ISODateWithMs);
    record[QStringLiteral("what")] = what;
    record[QStringLiteral("entries")] = entries;
    record[QStringLiteral("bytes")] = static_cast<qint64>(array.size());
    record[QStringLiteral("sha256")] = QString::fromLatin1(Sha256(array));
    // The book first: a record is written only beside a complete book.
    QString why;
    if (!WriteHistoryFile(PathOf(id, ".pb"), array, &why) ||
        !WriteHistoryFile(PathOf(id, ".json"), QJsonDocument(record).toJson(QJsonDocument::Compact),
                          &why)) {
        QFile::remove(PathOf(id, ".pb"));
        Fail(QStringLiteral("cannot write in %1: %2").arg(m_folder, why));
        return false;
    }
    m_lastId = QString::number(id);
    std::vector<int> all = ids;
    all.push_back(id);
    Prune(std::move(all));
    return true;
}

// The oldest go first, but only beyond the newest kKeepCount, and only those known to be older
// than kKeepDays: a snapshot whose time cannot be read stays.
void BookHistory::Prune(std::vector<int> ids) {
    if (ids.size() <= static_cast<std::size_t>(kKeepCount)) return;
    const QDateTime limit = m_now().addDays(-kKeepDays);
    const std::size_t candidates = ids.size() - kKeepCount;
    for (std::size_t k = 0; k < candidates; ++k) {
        const SnapshotInfo info = Info(ids[k]);
        if (!info.time.isValid() || info.time >= limit) continue;
        QFile::remove(PathOf(ids[k], ".json"));
        QFile::remove(PathOf(ids[k], ".pb"));
    }
}

// The snapshot's record; empty when it cannot be read.
QJsonObject BookHistory::RecordOf(int id) const {
    QByteArray bytes;
    if (ReadFile(PathOf(id, ".json"), bytes, kMaxRecordBytes) != FileRead::Read) return {};
    return QJsonDocument::fromJson(bytes).object();
}

SnapshotInfo BookHistory::Info(int id, bool readBook) const {
    SnapshotInfo info;
    info.id = QString::number(id);
    const QJsonObject o = RecordOf(id);
    if (o.isEmpty()) {
        info.problem = kNoRecord;
        return info;
    }
    info.time =
        QDateTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
    info.what = o.value(QStringLiteral("what")).toString();
    info.entries = o.value(QStringLiteral("entries")).toInt();
    const QFileInfo book(PathOf(id, ".pb"));
    info.problem = book.isFile() ? SizeProblem(book.size(), o) : kNoBook;
    // Bytes of the right length may still be another book's or none.
    const QString sha = o.value(QStringLiteral("sha256")).toString();
    if (readBook && info.problem.isEmpty() && !sha.isEmpty()) {
        QByteArray bytes;
        if (ReadFile(PathOf(id, ".pb"), bytes, kMaxSnapshotBytes) != FileRead::Read ||
            sha.toLatin1() != Sha256(bytes)) {
            info.problem = kMismatch;
        }
    }
    return info;
}

std::vector<SnapshotInfo> BookHistory::List() const {
    std::vector<int> ids = Ids();
    std::reverse(ids.begin(), ids.end());  // newest first
    std::vector<SnapshotInfo> list;
    list.reserve(ids.size());
    for (const int id : ids)
        list.push_back(Info(id, true));
    return list;
}

bool BookHistory::Load(const QString& id, PhoneBook& book, bool asBase, QString* why) {
    const auto refuse = [why](const QString& reason) {
        if (why != nullptr) *why = reason;
        return false;
    };
    bool ok = false;
    const int n = id.toInt(&ok);
    if (!ok || n <= 0 || !QFile::exists(PathOf(n, ".json"))) {
        return refuse(QStringLiteral("no such snapshot"));
    }
    const QJsonObject record = RecordOf(n);
    if (record.isEmpty()) return refuse(kNoRecord);
    QByteArray bytes;
    switch (ReadFile(PathOf(n, ".pb"), bytes, kMaxSnapshotBytes)) {
        case FileRead::Missing:
            return refuse(kNoBook);
        case FileRead::TooLarge:
            return refuse(kMismatch);
        case FileRead::Read:
            break;
    }
    if (const QString size = SizeProblem(bytes.size(), record); !size.isEmpty()) {
        return refuse(size);
    }
    const QString sha = record.value(QStringLiteral("sha256")).toString();
    if (!sha.isEmpty() && sha.toLatin1() != Sha256(bytes)) return refuse(kMismatch);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    switch (BookFromSnapshot(std::span(data, static_cast<std::size_t>(bytes.size())), book)) {
        case SnapshotRead::Truncated:
            return refuse(kTruncated);
        case SnapshotRead::Damaged:
            return refuse(kDamaged);
        case SnapshotRead::Whole:
            break;
    }
    if (asBase) m_base = bytes;
    return true;
}

std::optional<SnapshotInfo> BookHistory::NewestFromPhone(PhoneBook& book) {
    std::vector<int> ids = Ids();
    std::reverse(ids.begin(), ids.end());  // newest first
    for (const int id : ids) {
        const SnapshotInfo info = Info(id);
        if (info.what != QLatin1String(history::kRead) &&
            info.what != QLatin1String(history::kWritten)) {
            continue;
        }
        PhoneBook held;
        if (!info.problem.isEmpty() || !Load(info.id, held)) continue;
        book = held;
        return info;
    }
    return std::nullopt;
}

void BookHistory::Fail(const QString& reason) {
    if (m_failure.isEmpty() && !m_failureReported) m_failure = reason;
}

QString BookHistory::TakeFailure() {
    if (m_failure.isEmpty()) return {};
    m_failureReported = true;
    return std::exchange(m_failure, QString());
}

// Snapshots may hold secret entries: they are the user's alone.
bool BookHistory::WriteHistoryFile(const QString& path, const QByteArray& bytes, QString* reason) {
    return SaveFileAtomically(path, bytes, reason, true);
}

}  // namespace numora

#include "history/BookHistory.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <algorithm>

#include "book/Snapshot.h"
#include "files/SaveFile.h"

namespace numora {

namespace {

QByteArray ToArray(const std::vector<uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

bool ReadFile(const QString& path, QByteArray& bytes, qint64 limit) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > limit) return false;
    bytes = file.readAll();
    return true;
}

// No phone book comes near this size.
constexpr qint64 kMaxSnapshotBytes = 1 << 20;
constexpr qint64 kMaxRecordBytes = 4096;

const QByteArray& EmptyBookBytes() {
    static const QByteArray bytes = ToArray(SnapshotBytes(CPBData()));
    return bytes;
}

}  // namespace

QString CBookHistory::DefaultFolder() {
    // The same folder for the window and the tool, whatever their application names.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/numora/history");
}

CBookHistory::CBookHistory(QString folder)
    : m_folder(std::move(folder)), m_now([] { return QDateTime::currentDateTimeUtc(); }) {}

QString CBookHistory::PathOf(int id, const char* extension) const {
    return m_folder + '/' + QString::number(id) + QLatin1String(extension);
}

std::vector<int> CBookHistory::Ids() const {
    std::vector<int> ids;
    const QStringList names =
        QDir(m_folder).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::NoSort);
    for (const QString& name : names) {
        bool ok = false;
        const int id = name.chopped(5).toInt(&ok);
        if (ok && id > 0) ids.push_back(id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool CBookHistory::Record(const CPBData& book, const QString& what) {
    const std::vector<uint8_t> bytes = SnapshotBytes(book);
    return Store(bytes, what, book.CountUsedEntries());
}

bool CBookHistory::RecordEdits(const CPBData& book, const QString& what) {
    const std::vector<uint8_t> bytes = SnapshotBytes(book);
    const QByteArray array = ToArray(bytes);
    if (array == m_base || array == EmptyBookBytes()) return true;
    return Store(bytes, what, book.CountUsedEntries());
}

bool CBookHistory::Store(const std::vector<uint8_t>& bytes, const QString& what, int entries) {
    const QByteArray array = ToArray(bytes);
    m_base = array;
    std::vector<int> ids = Ids();
    if (!ids.empty()) {
        QByteArray newest;
        if (ReadFile(PathOf(ids.back(), ".pb"), newest, kMaxSnapshotBytes) && newest == array) {
            return true;
        }
    }
    if (!QDir().mkpath(m_folder)) {
        Fail(QStringLiteral("cannot create the folder %1").arg(m_folder));
        return false;
    }
    const int id = ids.empty() ? 1 : ids.back() + 1;
    QJsonObject record;
    record[QStringLiteral("time")] = m_now().toUTC().toString(Qt::ISODateWithMs);
    record[QStringLiteral("what")] = what;
    record[QStringLiteral("entries")] = entries;
    // The book first: a record is written only beside a complete book.
    if (!WriteHistoryFile(PathOf(id, ".pb"), array) ||
        !WriteHistoryFile(PathOf(id, ".json"),
                          QJsonDocument(record).toJson(QJsonDocument::Compact))) {
        QFile::remove(PathOf(id, ".pb"));
        Fail(QStringLiteral("cannot write in %1").arg(m_folder));
        return false;
    }
    ids.push_back(id);
    Prune(std::move(ids));
    return true;
}

// The oldest go first, but only beyond the newest kKeepCount and only when older than
// kKeepDays.
void CBookHistory::Prune(std::vector<int> ids) {
    if (ids.size() <= static_cast<std::size_t>(kKeepCount)) return;
    const QDateTime limit = m_now().addDays(-kKeepDays);
    const std::size_t candidates = ids.size() - kKeepCount;
    for (std::size_t k = 0; k < candidates; ++k) {
        QByteArray bytes;
        const QString record = PathOf(ids[k], ".json");
        if (ReadFile(record, bytes, kMaxRecordBytes)) {
            const QDateTime time = QDateTime::fromString(
                QJsonDocument::fromJson(bytes).object().value(QStringLiteral("time")).toString(),
                Qt::ISODateWithMs);
            if (time.isValid() && time >= limit) break;
        }
        QFile::remove(record);
        QFile::remove(PathOf(ids[k], ".pb"));
    }
}

std::vector<SnapshotInfo> CBookHistory::List() const {
    std::vector<SnapshotInfo> list;
    const std::vector<int> ids = Ids();
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        QByteArray bytes;
        if (!ReadFile(PathOf(*it, ".json"), bytes, kMaxRecordBytes)) continue;
        const QJsonObject o = QJsonDocument::fromJson(bytes).object();
        SnapshotInfo info;
        info.id = QString::number(*it);
        info.time =
            QDateTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
        info.what = o.value(QStringLiteral("what")).toString();
        info.entries = o.value(QStringLiteral("entries")).toInt();
        list.push_back(std::move(info));
    }
    return list;
}

bool CBookHistory::Load(const QString& id, CPBData& book, bool asBase) {
    bool ok = false;
    const int n = id.toInt(&ok);
    QByteArray bytes;
    if (!ok || n <= 0 || !QFile::exists(PathOf(n, ".json")) ||
        !ReadFile(PathOf(n, ".pb"), bytes, kMaxSnapshotBytes)) {
        return false;
    }
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    if (!BookFromSnapshot(std::span(data, static_cast<std::size_t>(bytes.size())), book)) {
        return false;
    }
    if (asBase) m_base = bytes;
    return true;
}

void CBookHistory::Fail(const QString& reason) {
    if (m_failure.isEmpty() && !m_failureReported) m_failure = reason;
}

QString CBookHistory::TakeFailure() {
    if (m_failure.isEmpty()) return {};
    m_failureReported = true;
    return std::exchange(m_failure, QString());
}

bool CBookHistory::WriteHistoryFile(const QString& path, const QByteArray& bytes) {
    return SaveFileAtomically(path, bytes);
}

}  // namespace numora

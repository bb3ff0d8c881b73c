#include "files/SaveFile.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace numora {

namespace {

constexpr qint64 kChunk = qint64{64} << 10;

SaveChunkWriter& ChunkWriter() {
    static SaveChunkWriter writer;
    return writer;
}

// Keeps the reason of a failure for a caller that asked for it; false, for returning.
bool Failed(QString* reason, const QString& why) {
    if (reason != nullptr) *reason = why;
    return false;
}

bool WriteAll(QIODevice& device, QByteArrayView bytes) {
    for (qint64 at = 0; at < bytes.size();) {
        const qint64 n = std::min(kChunk, bytes.size() - at);
        const char* data = bytes.data() + at;
        const qint64 written =
            ChunkWriter() ? ChunkWriter()(device, data, n) : device.write(data, n);
        if (written <= 0) return false;
        at += written;
    }
    return true;
}

std::filesystem::path FsPath(const QString& path) {
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kEveryone =
    kOwnerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther;

// A FIFO or a device would be replaced by a plain file, or block the save.
bool IsSpecialFile(const QFileInfo& info) {
    return info.exists() && !info.isFile() && !info.isDir() && !info.isSymLink();
}

// QSaveFile writes through a link to the file it names; a link at the target is instead
// replaced by a temporary file of its own folder, renamed over the link itself.
bool ReplaceLink(const QString& path, QByteArrayView bytes, QString* reason, bool ownerOnly) {
    QTemporaryFile temp(path + QStringLiteral(".XXXXXX"));
    if (!temp.open() || !WriteAll(temp, bytes) || !temp.flush()) {
        return Failed(reason, temp.errorString());
    }
    temp.setPermissions(ownerOnly ? kOwnerOnly : kEveryone);
    temp.close();
    if (temp.error() != QFileDevice::NoError) return Failed(reason, temp.errorString());
    std::error_code ec;
    std::filesystem::rename(FsPath(temp.fileName()), FsPath(path), ec);
    if (ec) return Failed(reason, QString::fromStdString(ec.message()));
    temp.setAutoRemove(false);
    return true;
}

}  // namespace

bool SaveFileAtomically(const QString& path, QByteArrayView bytes, QString* reason,
                        bool ownerOnly) {
    if (path.isEmpty()) return Failed(reason, qt_error_string(ENOENT));
    const QFileInfo info(path);
    if (info.isSymLink()) return ReplaceLink(path, bytes, reason, ownerOnly);
    if (info.isDir()) return Failed(reason, qt_error_string(EISDIR));
    if (IsSpecialFile(info)) return Failed(reason, QStringLiteral("not a regular file"));
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) return Failed(reason, file.errorString());
    // An existing file's permissions carry over to the new one; a new file is created here.
    if (info.exists()) {
        file.setPermissions(info.permissions());
    } else if (ownerOnly) {
        file.setPermissions(kOwnerOnly);
    }
    // The last bytes may still sit in the device's buffer: a full disk shows only when they
    // are flushed, and the rename in commit() must not follow a failed flush.
    if (!WriteAll(file, bytes) || !file.flush() || file.error() != QFileDevice::NoError) {
        const QString why = file.errorString();
        file.cancelWriting();
        return Failed(reason, why);
    }
    return file.commit() || Failed(reason, file.errorString());
}

bool CanSaveTo(const QString& path, QString* reason) {
    if (path.isEmpty()) return Failed(reason, qt_error_string(ENOENT));
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink()) return Failed(reason, qt_error_string(EISDIR));
    if (IsSpecialFile(info)) return Failed(reason, QStringLiteral("not a regular file"));
    QTemporaryFile probe(path + QStringLiteral(".XXXXXX"));
    return probe.open() || Failed(reason, probe.errorString());
}

void SetSaveChunkWriter(SaveChunkWriter writer) {
    ChunkWriter() = std::move(writer);
}

}  // namespace numora

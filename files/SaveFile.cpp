#include "files/SaveFile.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

namespace numora {

namespace {

constexpr qint64 kChunk = qint64{64} << 10;

SaveChunkWriter& ChunkWriter() {
    static SaveChunkWriter writer;
    return writer;
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

// QSaveFile writes through a link to the file it names; a link at the target is instead
// replaced by a temporary file of its own folder, renamed over the link itself.
bool ReplaceLink(const QString& path, QByteArrayView bytes, bool ownerOnly) {
    QTemporaryFile temp(path + QStringLiteral(".XXXXXX"));
    if (!temp.open() || !WriteAll(temp, bytes) || !temp.flush()) return false;
    temp.setPermissions(ownerOnly ? kOwnerOnly : kEveryone);
    temp.close();
    if (temp.error() != QFileDevice::NoError) return false;
    std::error_code ec;
    std::filesystem::rename(FsPath(temp.fileName()), FsPath(path), ec);
    if (ec) return false;
    temp.setAutoRemove(false);
    return true;
}

}  // namespace

bool SaveFileAtomically(const QString& path, QByteArrayView bytes, bool ownerOnly) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    if (info.isSymLink()) return ReplaceLink(path, bytes, ownerOnly);
    // A FIFO or a device would be replaced by a plain file, or block the save.
    if (info.exists() && !info.isFile()) return false;
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) return false;
    // An existing file's permissions carry over to the new one; a new file is created here.
    if (info.exists()) {
        file.setPermissions(info.permissions());
    } else if (ownerOnly) {
        file.setPermissions(kOwnerOnly);
    }
    if (!WriteAll(file, bytes)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool CanSaveTo(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isSymLink()) return false;
    QTemporaryFile probe(path + QStringLiteral(".XXXXXX"));
    return probe.open();
}

void SetSaveChunkWriter(SaveChunkWriter writer) {
    ChunkWriter() = std::move(writer);
}

}  // namespace numora

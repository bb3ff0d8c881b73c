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

// QSaveFile writes through a link to the file it names; a link at the target is instead
// replaced by a temporary file of its own folder, renamed over the link itself.
bool ReplaceLink(const QString& path, QByteArrayView bytes) {
    QTemporaryFile temp(path + QStringLiteral(".XXXXXX"));
    if (!temp.open() || !WriteAll(temp, bytes) || !temp.flush()) return false;
    temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    temp.close();
    if (temp.error() != QFileDevice::NoError) return false;
    std::error_code ec;
    std::filesystem::rename(FsPath(temp.fileName()), FsPath(path), ec);
    if (ec) return false;
    temp.setAutoRemove(false);
    return true;
}

}  // namespace

bool SaveFileAtomically(const QString& path, QByteArrayView bytes) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    if (info.isSymLink()) return ReplaceLink(path, bytes);
    if (info.isDir()) return false;
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!WriteAll(file, bytes)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool CanSaveTo(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink()) return false;
    QTemporaryFile probe(path + QStringLiteral(".XXXXXX"));
    return probe.open();
}

void SetSaveChunkWriter(SaveChunkWriter writer) {
    ChunkWriter() = std::move(writer);
}

}  // namespace numora

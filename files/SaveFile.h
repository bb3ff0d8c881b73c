// Saving a file as one step. Every file the Qt programs write goes through SaveFileAtomically:
// the bytes go to a temporary file in the target's folder, every write and the close are
// checked, and only then is the temporary file renamed over the target. On any failure the old
// file is untouched. A symbolic link at the target is replaced, never followed; a folder, a
// FIFO or a device is never a target.
#pragma once

#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <functional>

namespace numora {

// On a failure the system's reason goes to reason when one is given ("No space left on device").
// The new file keeps the permissions of the file it replaces; a file that did not exist is
// readable by its owner only when `ownerOnly` (a book with secret entries), else as the user's
// umask has it.
bool SaveFileAtomically(const QString& path, QByteArrayView bytes, QString* reason = nullptr,
                        bool ownerOnly = false);

// Whether a save to the path could succeed now: the path is no folder, FIFO or device, and a
// file can be created beside it. Asked before long work whose result goes there.
bool CanSaveTo(const QString& path, QString* reason = nullptr);

// The platform seam of every write: it writes one chunk to the device and returns the bytes
// written, or -1. Tests put in one that fails part-way, as a full disk does; an empty
// function restores the real write.
using SaveChunkWriter = std::function<qint64(QIODevice& device, const char* data, qint64 size)>;
void SetSaveChunkWriter(SaveChunkWriter writer);

}  // namespace numora

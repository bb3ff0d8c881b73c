// The main window in tests: options that keep its profile, history and work file in a
// temporary folder, and its File menu's items by text.
#pragma once

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>

#include "app/MainWindow.h"
#include "book/PbFile.h"
#include "ui/UiTestSupport.h"

namespace numora::test {

// port: the device to search, or none for the system's ports.
inline WindowOptions TestOptions(const QTemporaryDir& dir, const QString& port = {}) {
    WindowOptions options;
    options.profilePath = dir.filePath(QStringLiteral("profile.ini"));
    options.historyFolder = dir.filePath(QStringLiteral("history"));
    options.programFolder = dir.path();
    if (!port.isEmpty()) options.port = dir.filePath(port);
    return options;
}

// The test book as a phone-book file in the folder; its path, empty when it cannot be written.
inline QString WriteTestBookFile(const QTemporaryDir& dir, const QString& name) {
    PhoneBook book;
    FillTestBook(book);
    std::vector<uint8_t> bytes;
    WritePbRecords(book, bytes, nullptr);
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
}

inline QAction* FileAction(MainWindow& frame, const QString& text) {
    for (QAction* a : frame.menuBar()->actions().first()->menu()->actions()) {
        if (a->text() == text) return a;
    }
    return nullptr;
}

}  // namespace numora::test

// The main window in tests: options that keep its profile, history and work file in a
// temporary folder, and its File menu's items by text.
#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>

#include "app/MainFrame.h"

namespace numora::test {

// port: the device to search, or none for the system's ports.
inline FrameOptions TestOptions(const QTemporaryDir& dir, const QString& port = {}) {
    FrameOptions options;
    options.profilePath = dir.filePath(QStringLiteral("profile.ini"));
    options.historyFolder = dir.filePath(QStringLiteral("history"));
    options.programFolder = dir.path();
    if (!port.isEmpty()) options.port = dir.filePath(port);
    return options;
}

inline QAction* FileAction(CMainFrame& frame, const QString& text) {
    for (QAction* a : frame.menuBar()->actions().first()->menu()->actions()) {
        if (a->text() == text) return a;
    }
    return nullptr;
}

}  // namespace numora::test

#include "app/SimulatorProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/ChildLifetime.h"

namespace numora {

SimulatorProcess::SimulatorProcess(QObject* parent) : QObject(parent) {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_startTimer.setSingleShot(true);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &SimulatorProcess::OnOutput);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            Fail(QStringLiteral("The handset simulator could not be started."));
        }
    });
    connect(&m_process, &QProcess::finished, this,
            [this] { Fail(QStringLiteral("The handset simulator ended before it was ready.")); });
#ifdef Q_OS_WIN
    connect(&m_process, &QProcess::started, this,
            [this] { TieToThisProcess(static_cast<std::uint32_t>(m_process.processId())); });
#else
    // The simulator ends with the window, however the window ends.
    m_process.setChildProcessModifier(
        [parent = QCoreApplication::applicationPid()] { EndWithParent(parent); });
#endif
    connect(&m_startTimer, &QTimer::timeout, this, [this] {
        Fail(QStringLiteral("The handset simulator did not answer."));
        m_process.kill();
    });
}

SimulatorProcess::~SimulatorProcess() {
    m_process.disconnect(this);
    Stop();
    // The simulator writes its book on the way out; give it a moment, then make sure.
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(kStopTimeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(kStopTimeoutMs);
    }
}

QString SimulatorProcess::FindProgram(const QString& programFolder) {
    const QFileInfo local(QDir(programFolder).filePath(QStringLiteral("numora-sim")));
    if (local.isFile() && local.isExecutable()) return local.absoluteFilePath();
    return QStandardPaths::findExecutable(QStringLiteral("numora-sim"));
}

QString SimulatorProcess::FindSampleBook(const QString& programFolder) {
    const QDir dir(programFolder);
    for (const QString& path : {dir.filePath(QStringLiteral("sample-book.pb")),
                                dir.filePath(QStringLiteral("../share/numora/sample-book.pb"))}) {
        if (QFileInfo(path).isFile()) return QFileInfo(path).absoluteFilePath();
    }
    return {};
}

void SimulatorProcess::Start(const QString& program, const QStringList& arguments) {
    m_ready = false;
    m_done = false;
    m_firstLine.clear();
    if (program.isEmpty()) {
        Fail(QStringLiteral("The handset simulator numora-sim was not found."));
        return;
    }
    m_startTimer.start(kStartTimeoutMs);
    m_process.start(program, arguments);
}

void SimulatorProcess::Stop() {
    m_startTimer.stop();
    if (m_process.state() != QProcess::NotRunning) m_process.terminate();
}

void SimulatorProcess::OnOutput() {
    const QByteArray out = m_process.readAllStandardOutput();
    if (m_ready || m_done) return;
    m_firstLine += out;
    const qsizetype end = m_firstLine.indexOf('\n');
    if (end < 0) return;
    m_ready = true;
    m_startTimer.stop();
    emit ready(QString::fromLocal8Bit(m_firstLine.left(end)).trimmed());
}

void SimulatorProcess::Fail(const QString& reason) {
    m_startTimer.stop();
    if (m_ready || m_done) return;
    m_done = true;
    emit failed(reason);
}

}  // namespace numora

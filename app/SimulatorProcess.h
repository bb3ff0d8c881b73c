// numora-sim behind "numora --simulate": started with a book, it prints the path of its
// pseudo-terminal on its first line and answers as the handset there until it is stopped.
// Nothing here waits: the path arrives as a signal.
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace numora {

class SimulatorProcess : public QObject {
    Q_OBJECT
public:
    // How long the simulator may take to name its terminal.
    static constexpr int kStartTimeoutMs = 10000;
    static constexpr int kStopTimeoutMs = 3000;

    explicit SimulatorProcess(QObject* parent = nullptr);
    // Stops the simulator if it still runs.
    ~SimulatorProcess() override;

    // The simulator next to the program, else on PATH; empty when there is none.
    static QString FindProgram(const QString& programFolder);
    // The sample book next to the program, else in the installed data folder.
    static QString FindSampleBook(const QString& programFolder);

    void Start(const QString& program, const QStringList& arguments);
    // Asks the simulator to end (it saves its book when told to) and lets it go.
    void Stop();
    bool Running() const { return m_process.state() != QProcess::NotRunning; }

signals:
    void ready(const QString& terminal);
    void failed(const QString& reason);

private:
    void OnOutput();
    void Fail(const QString& reason);

    QProcess m_process;
    QTimer m_startTimer;
    QByteArray m_firstLine;
    bool m_ready = false;
    bool m_done = false;
};

}  // namespace numora

// The protocol log window: every frame of the last run as it crossed the line (time since the
// run began, direction, command, bytes), the same lines as the tool's --trace. It follows a run
// live and can save the log as text.
#pragma once

#include <QDialog>
#include <functional>

#include "link/ProtocolLog.h"

class QPlainTextEdit;
class QLabel;

namespace numora {

class ProtocolLogDialog : public QDialog {
    Q_OBJECT
public:
    ProtocolLogDialog(ProtocolLog& log, QWidget* parent = nullptr);
    ~ProtocolLogDialog() override;

    // Where Save writes; tests replace the file dialog. Empty means cancelled.
    using PathChooser = std::function<QString(QWidget* parent)>;
    void SetPathChooser(PathChooser chooser) { m_choose = std::move(chooser); }

    QString Text() const;

public slots:
    void Reload();
    void OnSave();

private:
    void Append(const ProtocolLog::Line& line);

    ProtocolLog& m_log;
    QPlainTextEdit* m_text;
    QLabel* m_count;
    PathChooser m_choose;
};

}  // namespace numora

// The small modeless "Port Searching" window shown while the port search looks for the
// handset at start-up. It closes when the handset first answers.
#pragma once

#include <QDialog>

class QLabel;

namespace numora {

class CPortSearchDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPortSearchDlg(QWidget* parent = nullptr);

    // Status codes 0 waiting, 1 searching, 2 port open, 3 handset answered; others are ignored.
    void SetStatus(int code, int port);
    QString Status() const;

private:
    QLabel* m_status;
};

}  // namespace numora

// The small modeless "Port Searching" window shown while the port search looks for the
// handset at start-up. It follows the search from port to port and closes when the handset
// first answers. Closing it first (its close box or Escape) is the user giving up the search.
#pragma once

#include <QDialog>

#include "link/SearchView.h"

class QLabel;

namespace numora {

class PortSearchDialog : public QDialog {
    Q_OBJECT
public:
    explicit PortSearchDialog(QWidget* parent = nullptr);

    // Status codes 0 waiting, 1 searching, 2 port open, 3 handset answered; others are ignored.
    void SetStatus(LinkState state, int port);
    QString Status() const;

    // Closes the window because the search is over, without cancelling it.
    void Finish();

signals:
    // The user closed the window while the search was still going on.
    void cancelled();

public slots:
    void reject() override;

private:
    QLabel* m_status;
    bool m_finishing = false;
};

}  // namespace numora

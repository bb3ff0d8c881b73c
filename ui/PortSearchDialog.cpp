#include "ui/PortSearchDialog.h"

#include <QLabel>

#include "ui/DialogUnits.h"

namespace numora {

PortSearchDialog::PortSearchDialog(QWidget* parent) : QDialog(parent), m_status(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Port Searching"));
    setModal(false);
    // A caption with a close box only: closing is the one thing to do with it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setObjectName(QStringLiteral("portSearchDialog"));
    const DialogUnits du(font());
    setFixedSize(du.Size(119, 55));
    du.Place(m_status, 17, 22, 82, 11);
    m_status->setObjectName(QStringLiteral("status"));
}

void PortSearchDialog::SetStatus(LinkState state, int port) {
    m_status->setText(QString::fromStdString(PortStatusText(state, port)));
}

QString PortSearchDialog::Status() const {
    return m_status->text();
}

void PortSearchDialog::Finish() {
    m_finishing = true;
    close();
}

// Escape, the close box and close() all end here.
void PortSearchDialog::reject() {
    const bool byUser = !m_finishing;
    m_finishing = true;
    if (byUser) emit cancelled();
    QDialog::reject();
}

}  // namespace numora

#include "app/AboutDlg.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "ui/DialogUnits.h"
#include "ui/Modal.h"

namespace numora {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Program"));
    setObjectName(QStringLiteral("aboutDialog"));
    const CDialogUnits du(font());
    setFixedSize(du.Size(225, 60));
    auto* icon = new QLabel(this);
    const QIcon appIcon = QApplication::windowIcon().isNull()
                              ? style()->standardIcon(QStyle::SP_ComputerIcon)
                              : QApplication::windowIcon();
    icon->setPixmap(appIcon.pixmap(32, 32));
    icon->setGeometry(du.X(11), du.Y(14), 32, 32);
    auto* title = new QLabel(QString::fromLatin1(kAppTitle), this);
    title->setObjectName(QStringLiteral("title"));
    title->setAlignment(Qt::AlignCenter);
    du.Place(title, 40, 10, 119, 8);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    du.Place(ok, 168, 39, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);
}

}  // namespace numora

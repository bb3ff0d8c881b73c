#include "app/AboutDialog.h"

#include <QLabel>
#include <QPushButton>

#include "app/AppIcon.h"
#include "ui/DialogUnits.h"
#include "ui/Modal.h"

namespace numora {

namespace {
constexpr int kIconSize = 32;
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Program"));
    setObjectName(QStringLiteral("aboutDialog"));
    const DialogUnits du(font());
    setFixedSize(du.Size(225, 60));
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(AppIcon().pixmap(kIconSize, kIconSize));
    icon->setGeometry(du.X(11), du.Y(14), kIconSize, kIconSize);
    auto* title = new QLabel(QString::fromLatin1(kAppTitle), this);
    title->setObjectName(QStringLiteral("title"));
    title->setAlignment(Qt::AlignCenter);
    du.Place(title, 40, 10, 119, 8);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    du.Place(ok, 168, 39, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &AboutDialog::accept);
}

}  // namespace numora

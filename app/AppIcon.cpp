#include "app/AppIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace numora {

QIcon AppIcon() {
    static const QIcon icon = [] {
        QIcon built;
        QSvgRenderer svg(QStringLiteral(":/numora/numora.svg"));
        if (!svg.isValid()) return built;
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            QPixmap pixmap(size, size);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            svg.render(&painter);
            painter.end();
            built.addPixmap(pixmap);
        }
        return built;
    }();
    return icon;
}

}  // namespace numora

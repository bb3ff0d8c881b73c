// "About Program": the program's icon and title, and an OK button.
#pragma once

#include <QDialog>

namespace numora {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace numora

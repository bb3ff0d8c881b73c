// "About Program": the program's icon and title, and an OK button.
#pragma once

#include <QDialog>

namespace numora {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace numora

// "Speed Dial Setting": the table of the 19 speed-dial numbers and who holds each, with the
// shown entry's unsaved choices laid over the book's assignments. The user clicks a row; OK
// hands back the chosen number. The dialog changes neither the book nor the page.
#pragma once

#include <QDialog>

namespace numora {

class CPBDialog;
class CPBListCtrl;

class CPBSpeedDialDlg : public QDialog {
    Q_OBJECT
public:
    // The result for the last row, "None".
    static constexpr int kNoSpeedDialResult = 21;
    static constexpr int kRows = 20;

    explicit CPBSpeedDialDlg(CPBDialog* page);

    // After OK: 2 to 20, or 21 for no speed dial.
    int DialNumber() const { return m_nDialNumber; }
    CPBListCtrl* Table() const { return m_table; }

public slots:
    void accept() override;

private:
    void FitToColumnsAndScreen(QWidget* ok, QWidget* cancel);
    void FillFromBook();
    void OverlayPendingChoices();

    int m_nClickedRow = -1;
    CPBDialog* m_pPage;
    int m_nDialNumber = 0;
    CPBListCtrl* m_table;
};

}  // namespace numora

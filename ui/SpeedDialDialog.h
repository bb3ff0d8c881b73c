// "Speed Dial Setting": the table of the 19 speed-dial numbers and who holds each, with the
// shown entry's unsaved choices laid over the book's assignments. The user clicks a row; OK
// hands back the chosen number. The dialog changes neither the book nor the page.
#pragma once

#include <QDialog>
#include <optional>

namespace numora {

class PhoneBookPage;
class ReportList;

class SpeedDialDialog : public QDialog {
    Q_OBJECT
public:
    explicit SpeedDialDialog(PhoneBookPage& page);

    // After OK: 2 to 20, or none for the last row, "None".
    [[nodiscard]] std::optional<int> DialNumber() const { return m_dialNumber; }
    ReportList* Table() const { return m_table; }

public slots:
    void accept() override;

private:
    void FitToColumnsAndScreen(QWidget* ok, QWidget* cancel);
    void FillFromBook();
    void OverlayPendingChoices();

    bool m_rowClicked = false;
    PhoneBookPage& m_page;
    std::optional<int> m_dialNumber;
    ReportList* m_table;
};

}  // namespace numora

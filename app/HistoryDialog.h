// File > History...: the snapshots of the book's history, newest first, and for the one
// selected what it holds that the window's book does not, entry by entry. "Restore" closes the
// dialog with that snapshot chosen; the caller puts it into the window.
#pragma once

#include <QDialog>
#include <QString>

#include "book/PhoneBook.h"
#include "history/BookHistory.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace numora {

class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    HistoryDialog(BookHistory& history, const PhoneBook& windowBook, QWidget* parent = nullptr);

    // The snapshot chosen with "Restore".
    QString ChosenId() const { return m_chosen; }
    QTreeWidget* List() const { return m_list; }
    QString DifferencesText() const;

private:
    void OnSelect();

    BookHistory& m_history;
    const PhoneBook& m_windowBook;
    QTreeWidget* m_list = nullptr;
    QLabel* m_summary = nullptr;
    QPlainTextEdit* m_diff = nullptr;
    QPushButton* m_restore = nullptr;
    QString m_chosen;
};

}  // namespace numora

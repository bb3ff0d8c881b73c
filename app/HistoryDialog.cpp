#include "app/HistoryDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "book/BookDiff.h"
#include "ui/Modal.h"

namespace numora {

HistoryDialog::HistoryDialog(BookHistory& history, const PhoneBook& windowBook, QWidget* parent)
    : QDialog(parent), m_history(history), m_windowBook(windowBook) {
    setObjectName(QStringLiteral("historyDialog"));
    setWindowTitle(QStringLiteral("History"));
    auto* layout = new QVBoxLayout(this);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("historyList"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels(
        {QStringLiteral("Time"), QStringLiteral("What happened"), QStringLiteral("Entries")});
    for (const SnapshotInfo& s : m_history.List()) {
        const QString what =
            s.problem.isEmpty() ? s.what : QStringLiteral("%1 [%2]").arg(s.what, s.problem);
        auto* item = new QTreeWidgetItem(
            m_list, {s.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), what,
                     QString::number(s.entries)});
        item->setData(0, Qt::UserRole, s.id);
    }
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    layout->addWidget(m_list, 1);
    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);
    m_diff = new QPlainTextEdit(this);
    m_diff->setObjectName(QStringLiteral("historyDifferences"));
    m_diff->setReadOnly(true);
    m_diff->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(m_diff, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_restore = buttons->addButton(QStringLiteral("Restore"), QDialogButtonBox::ActionRole);
    m_restore->setObjectName(QStringLiteral("restoreButton"));
    m_restore->setEnabled(false);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_restore, &QPushButton::clicked, this, [this] {
        if (m_list->currentItem() == nullptr) return;
        m_chosen = m_list->currentItem()->data(0, Qt::UserRole).toString();
        accept();
    });
    connect(m_list, &QTreeWidget::currentItemChanged, this, &HistoryDialog::OnSelect);
    if (m_list->topLevelItemCount() > 0) {
        m_list->setCurrentItem(m_list->topLevelItem(0));
    } else {
        m_summary->setText(
            QStringLiteral("No snapshot yet. The history is kept in %1.").arg(m_history.Folder()));
    }
    resize(640, 480);
}

void HistoryDialog::OnSelect() {
    m_diff->clear();
    const QTreeWidgetItem* item = m_list->currentItem();
    m_restore->setEnabled(false);
    if (item == nullptr) return;
    PhoneBook snapshot;
    QString why;
    if (!m_history.Load(item->data(0, Qt::UserRole).toString(), snapshot, false, &why)) {
        m_summary->setText(QStringLiteral("This snapshot cannot be brought back: %1.").arg(why));
        return;
    }
    m_restore->setEnabled(true);
    const auto diffs = CompareBooks(m_windowBook, snapshot);
    if (diffs.empty()) {
        m_summary->setText(QStringLiteral("The snapshot holds the book in the window."));
        return;
    }
    m_summary->setText(QStringLiteral("What Restore would change in the window's book:"));
    QString text;
    for (const BookDifference& d : diffs)
        text += FromBytes(DifferenceLine(d)) + '\n';
    m_diff->setPlainText(text);
}

QString HistoryDialog::DifferencesText() const {
    return m_summary->text() + '\n' + m_diff->toPlainText();
}

}  // namespace numora

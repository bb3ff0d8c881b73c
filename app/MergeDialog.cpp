#include "app/MergeDialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/Modal.h"

namespace numora {

namespace {

QString Slot(int slot, const std::string& name) {
    return QStringLiteral("%1 %2").arg(slot).arg(FromBytes(name));
}

QTreeWidgetItem* Section(QTreeWidget* tree, const QString& heading, int count) {
    auto* item = new QTreeWidgetItem(tree, {QStringLiteral("%1 (%2)").arg(heading).arg(count)});
    item->setFirstColumnSpanned(true);
    QFont bold = item->font(0);
    bold.setBold(true);
    item->setFont(0, bold);
    item->setExpanded(true);
    return item;
}

void Line(QTreeWidgetItem* section, const QString& text) {
    auto* item = new QTreeWidgetItem(section, {text});
    item->setFirstColumnSpanned(true);
}

}  // namespace

MergeDialog::MergeDialog(Kind kind, Planner planner, NumberKeys& keys,
                         const PairAnswers& remembered, QStringList notes, QWidget* parent)
    : QDialog(parent),
      m_kind(kind),
      m_planner(std::move(planner)),
      m_keys(keys),
      m_answers(remembered),
      m_notes(std::move(notes)) {
    setObjectName(QStringLiteral("mergeDialog"));
    setWindowTitle(kind == Kind::Contacts ? QStringLiteral("Merge Contacts")
                                          : QStringLiteral("Find Duplicates"));
    auto* layout = new QVBoxLayout(this);
    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);
    m_preview = new QTreeWidget(this);
    m_preview->setObjectName(QStringLiteral("mergePreview"));
    m_preview->setHeaderLabels({QStringLiteral("Entry"), QStringLiteral("Field"),
                                QStringLiteral("Now"), QStringLiteral("After the merge")});
    m_preview->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_preview, 3);
    m_pairsHeading = new QLabel(
        kind == Kind::Contacts
            ? QStringLiteral("Likely pairs: one person, or two? Until you answer, the contact is "
                             "added as an entry of its own.")
            : QStringLiteral("Likely pairs: one person, or two? Until you answer, both entries "
                             "stay."),
        this);
    m_pairsHeading->setWordWrap(true);
    layout->addWidget(m_pairsHeading);
    m_pairs = new QTreeWidget(this);
    m_pairs->setObjectName(QStringLiteral("likelyPairs"));
    m_pairs->setRootIsDecorated(false);
    m_pairs->setHeaderLabels(
        {QStringLiteral("Entry"), QStringLiteral("Other"), QStringLiteral("Why"), QString()});
    m_pairs->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_pairs, 2);
    if (kind == Kind::Contacts) {
        m_prefer = new QCheckBox(QStringLiteral("In conflicts, take the incoming value"), this);
        m_prefer->setObjectName(QStringLiteral("preferIncoming"));
        layout->addWidget(m_prefer);
        connect(m_prefer, &QCheckBox::toggled, this, [this] { Replan(); });
    }
    auto* buttons = new QDialogButtonBox(this);
    m_merge = buttons->addButton(QStringLiteral("Merge"), QDialogButtonBox::AcceptRole);
    m_merge->setObjectName(QStringLiteral("mergeButton"));
    m_merge->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Replan();
    resize(760, 560);
}

void MergeDialog::Replan() {
    MergeOptions options;
    options.prefer = m_prefer != nullptr && m_prefer->isChecked() ? Prefer::Incoming : Prefer::Book;
    options.answers = &m_answers;
    // A merge of many thousand contacts takes a moment.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_plan = m_planner(options);
    QApplication::restoreOverrideCursor();
    for (const LikelyPair& p : m_plan.likely) {
        const bool known = std::any_of(m_asked.begin(), m_asked.end(), [&](const AskedPair& a) {
            return a.pair.slot == p.slot && a.pair.other == p.other &&
                   a.pair.otherIsContact == p.otherIsContact;
        });
        if (!known) m_asked.push_back({p, std::nullopt});
    }
    FillPreview();
    FillPairs();
}

void MergeDialog::AnswerPair(int row, Answer answer) {
    if (row < 0 || row >= static_cast<int>(m_asked.size())) return;
    AskedPair& asked = m_asked[static_cast<std::size_t>(row)];
    asked.answer = answer;
    m_answers.Set(asked.pair.person, asked.pair.otherPerson, answer, m_keys);
    m_given.Set(asked.pair.person, asked.pair.otherPerson, answer, m_keys);
    Replan();
}

QString MergeDialog::Summary() const {
    return m_summary->text();
}

void MergeDialog::FillPreview() {
    m_preview->clear();
    int added = 0;
    int changedEntries = 0;
    std::vector<const BookDifference*> adds;
    std::vector<const BookDifference*> changes;
    std::vector<const BookDifference*> removals;
    std::vector<const BookDifference*> others;
    std::optional<int> lastChanged;
    for (const BookDifference& d : m_plan.changes) {
        if (d.item != DiffItem::Entry) {
            others.push_back(&d);
        } else if (d.change == DiffChange::Added) {
            adds.push_back(&d);
            ++added;
        } else if (d.change == DiffChange::Removed) {
            removals.push_back(&d);
        } else {
            changes.push_back(&d);
            if (d.slot != lastChanged) ++changedEntries;
            lastChanged = d.slot;
        }
    }
    if (m_kind == Kind::Duplicates && !m_plan.merged.empty()) {
        QTreeWidgetItem* s = Section(m_preview, QStringLiteral("Entries that are one person"),
                                     static_cast<int>(m_plan.merged.size()));
        for (const MergedPair& p : m_plan.merged)
            Line(s,
                 FromBytes(MergedLine(p)) + QStringLiteral(": one entry in slot %1").arg(p.slot));
    }
    if (!adds.empty()) {
        QTreeWidgetItem* s = Section(m_preview, QStringLiteral("To add"), added);
        for (const BookDifference* d : adds)
            new QTreeWidgetItem(
                s, {Slot(d->slot, d->name), QString(), QString(), FromBytes(d->after)});
    }
    if (!changes.empty()) {
        QTreeWidgetItem* s = Section(m_preview, QStringLiteral("To change"), changedEntries);
        for (const BookDifference* d : changes) {
            new QTreeWidgetItem(s, {Slot(d->slot, d->name), FromBytes(d->field),
                                    FromBytes(d->before), FromBytes(d->after)});
        }
    }
    if (!removals.empty()) {
        QTreeWidgetItem* s = Section(m_preview, QStringLiteral("To remove, merged into another"),
                                     static_cast<int>(removals.size()));
        for (const BookDifference* d : removals)
            new QTreeWidgetItem(s, {Slot(d->slot, d->name), QString(), FromBytes(d->before)});
    }
    if (!others.empty()) {
        QTreeWidgetItem* s = Section(m_preview, QStringLiteral("Groups and speed dials"),
                                     static_cast<int>(others.size()));
        for (const BookDifference* d : others)
            Line(s, FromBytes(DifferenceLine(*d)));
    }
    if (!m_plan.conflicts.empty()) {
        QTreeWidgetItem* s = Section(m_preview, QStringLiteral("Conflicts"),
                                     static_cast<int>(m_plan.conflicts.size()));
        for (const Conflict& c : m_plan.conflicts)
            Line(s, FromBytes(ConflictLine(c)));
    }
    const int notFitting =
        static_cast<int>(m_plan.notFitting.size()) + static_cast<int>(m_notes.size());
    if (notFitting > 0) {
        QTreeWidgetItem* s = Section(m_preview, QStringLiteral("What does not fit"), notFitting);
        for (const QString& note : m_notes)
            Line(s, note);
        for (const std::string& line : m_plan.notFitting)
            Line(s, QString::fromStdString(line));
    }
    QString summary;
    if (!m_plan.ChangesBook()) {
        summary = m_kind == Kind::Contacts
                      ? QStringLiteral("Nothing to add or change: the book holds these contacts.")
                      : QStringLiteral("No two entries are surely one person.");
    } else if (m_kind == Kind::Contacts) {
        summary = QStringLiteral("%1 contact(s) to add, %2 entry(ies) to change.")
                      .arg(added)
                      .arg(changedEntries);
    } else {
        summary = QStringLiteral("%1 pair(s) of entries become one entry each, in the lower slot.")
                      .arg(m_plan.merged.size());
    }
    if (!m_plan.conflicts.empty()) {
        summary +=
            QStringLiteral(" %1 conflict(s): the %2 value is kept.")
                .arg(m_plan.conflicts.size())
                .arg(m_prefer != nullptr && m_prefer->isChecked() ? QStringLiteral("incoming")
                                                                  : QStringLiteral("book's"));
    }
    summary += QStringLiteral(" Nothing reaches the phone until \"Write to Phone\".");
    m_summary->setText(summary);
}

void MergeDialog::FillPairs() {
    m_pairs->clear();
    m_pairsHeading->setVisible(!m_asked.empty());
    m_pairs->setVisible(!m_asked.empty());
    for (std::size_t row = 0; row < m_asked.size(); ++row) {
        const AskedPair& asked = m_asked[row];
        const LikelyPair& p = asked.pair;
        auto* item = new QTreeWidgetItem(
            m_pairs, {Slot(p.slot, p.name),
                      (p.otherIsContact ? QStringLiteral("contact %1") : QStringLiteral("entry %1"))
                              .arg(p.other) +
                          ' ' + FromBytes(p.otherName),
                      QString::fromUtf8(RuleText(p.rule).data(),
                                        static_cast<qsizetype>(RuleText(p.rule).size()))});
        auto* cell = new QWidget(m_pairs);
        auto* buttons = new QHBoxLayout(cell);
        buttons->setContentsMargins(0, 0, 0, 0);
        auto* group = new QButtonGroup(cell);
        for (const auto& [text, answer] :
             {std::pair(QStringLiteral("Same person"), Answer::SamePerson),
              std::pair(QStringLiteral("Different people"), Answer::DifferentPeople)}) {
            auto* button = new QPushButton(text, cell);
            button->setCheckable(true);
            button->setAutoDefault(false);
            button->setChecked(asked.answer == answer);
            group->addButton(button);
            buttons->addWidget(button);
            const int r = static_cast<int>(row);
            const Answer a = answer;
            connect(button, &QPushButton::clicked, this, [this, r, a] {
                // The rows are built again by the new plan: not while this button is in use.
                QMetaObject::invokeMethod(
                    this, [this, r, a] { AnswerPair(r, a); }, Qt::QueuedConnection);
            });
        }
        m_pairs->setItemWidget(item, 3, cell);
    }
}

QString MergeDialog::PreviewText() const {
    QString text;
    for (int s = 0; s < m_preview->topLevelItemCount(); ++s) {
        const QTreeWidgetItem* section = m_preview->topLevelItem(s);
        text += section->text(0) + '\n';
        for (int r = 0; r < section->childCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m_preview->columnCount(); ++c) {
                if (!section->child(r)->text(c).isEmpty()) cells << section->child(r)->text(c);
            }
            text += QStringLiteral("  ") + cells.join(QStringLiteral(" | ")) + '\n';
        }
    }
    return text;
}

}  // namespace numora

// The preview of a merge, for File > "Merge Contacts..." and "Find Duplicates...": what will be
// added (slot, name), what will change (entry, field, old -> new), the conflicts, what does not
// fit, and the likely pairs, each with "Same person" and "Different people". An answer, or
// keeping the incoming values in conflicts, plans the merge again at once. "Merge" closes the
// dialog accepted with the plan to apply; "Cancel" changes nothing.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "matching/MergePlan.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace numora {

class MergeDialog : public QDialog {
    Q_OBJECT
public:
    using Planner = std::function<MergePlan(const MergeOptions&)>;

    enum class Kind {
        Contacts,    // contacts into the book; the incoming values may be preferred
        Duplicates,  // the book against itself
    };

    // notes: what reading the files had to say, shown with what does not fit.
    MergeDialog(Kind kind, Planner planner, NumberKeys& keys, const PairAnswers& remembered,
                QStringList notes, QWidget* parent = nullptr);

    const MergePlan& Plan() const { return m_plan; }
    // The answers given in the dialog.
    const PairAnswers& Given() const { return m_given; }

    QTreeWidget* Preview() const { return m_preview; }
    QTreeWidget* Pairs() const { return m_pairs; }
    QString Summary() const;
    // What the preview lists, one line per row, sections by their headings.
    QString PreviewText() const;
    // As the row's button does.
    void AnswerPair(int row, Answer answer);

private:
    struct AskedPair {
        LikelyPair pair;
        std::optional<Answer> answer;
    };

    void Replan();
    void FillPreview();
    void FillPairs();

    Kind m_kind;
    Planner m_planner;
    NumberKeys& m_keys;
    PairAnswers m_answers;  // remembered and given
    PairAnswers m_given;
    QStringList m_notes;
    MergePlan m_plan;
    std::vector<AskedPair> m_asked;
    QLabel* m_summary = nullptr;
    QTreeWidget* m_preview = nullptr;
    QTreeWidget* m_pairs = nullptr;
    QLabel* m_pairsHeading = nullptr;
    QCheckBox* m_prefer = nullptr;
    QPushButton* m_merge = nullptr;
};

}  // namespace numora

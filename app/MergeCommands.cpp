#include "app/MergeCommands.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "app/ContactsCommands.h"
#include "app/MergeDialog.h"
#include "formats/ContactFiles.h"
#include "history/BookHistory.h"
#include "matching/AnswersFile.h"
#include "ui/Modal.h"
#include "ui/PhoneBookPage.h"

namespace numora {

namespace {

// What the history lists for a merge.
constexpr char kBeforeMerge[] = "edits before a merge";
constexpr char kContactsMerged[] = "contacts merged";
constexpr char kDuplicatesMerged[] = "duplicates merged";

MergePathsChooser& Chooser() {
    static MergePathsChooser chooser;
    return chooser;
}

QStringList ChoosePaths(QWidget* parent) {
    if (Chooser()) return Chooser()(parent);
    return QFileDialog::getOpenFileNames(
        parent, QStringLiteral("Merge Contacts"), QString(),
        QStringLiteral("Contacts and books (*.vcf *.csv *.json *.pb);;vCard (*.vcf);;CSV (*.csv);;"
                       "JSON (*.json);;Phone book (*.pb)"));
}

QString AnswersPath(const PhoneBookPage& page) {
    return PairAnswersPath(page.History() != nullptr ? page.History()->Folder()
                                                     : BookHistory::DefaultFolder());
}

// Runs the preview and, on "Merge", keeps the answers and changes the book between two
// snapshots.
void PreviewAndApply(QWidget* parent, PhoneBookPage& page, MergeDialog::Kind kind,
                     const MergeDialog::Planner& planner, NumberKeys& keys, QStringList notes,
                     const char* done) {
    const QString answersPath = AnswersPath(page);
    QString failure;
    PairAnswers answers = LoadPairAnswers(answersPath, &failure);
    if (!failure.isEmpty()) notes << failure + QStringLiteral(": likely pairs are asked again");
    if (kind == MergeDialog::Kind::Duplicates) {
        const MergePlan plan = planner({Prefer::Book, &answers});
        if (plan.merged.empty() && plan.likely.empty()) {
            ShowMessage(parent, "No two entries of the book are one person.");
            return;
        }
    }
    MergeDialog dialog(kind, planner, keys, answers, notes, parent);
    if (RunModal(dialog) != QDialog::Accepted) return;
    if (!dialog.Given().Empty()) {
        answers.Add(dialog.Given());
        if (!SavePairAnswers(answersPath, answers)) {
            ShowMessage(
                parent,
                ToBytes(QStringLiteral("The answers could not be kept in %1.").arg(answersPath)));
        }
    }
    if (!dialog.Plan().ChangesBook()) return;
    page.KeepEdits(kBeforeMerge);
    page.EnableControls(false);
    ApplyMergePlan(dialog.Plan(), page.Book());
    page.ShowBook(BookChange::Everything);
    page.EnableControls(true);
    page.KeepBook(done);
}

}  // namespace

void SetMergePathsChooser(MergePathsChooser chooser) {
    Chooser() = std::move(chooser);
}

void MergeContactsFile(QWidget* parent, PhoneBookPage& page, const Profile& profile) {
    const QStringList paths = ChoosePaths(parent);
    if (!paths.isEmpty()) MergeContactsFiles(parent, page, profile, paths);
}

void MergeContactsFiles(QWidget* parent, PhoneBookPage& page, const Profile& profile,
                        const QStringList& paths) {
    if (page.Locked() || paths.isEmpty()) return;
    const ContactsOptions reading = ContactsReading(profile);
    std::vector<Contact> contacts;
    QStringList notes;
    for (const QString& path : paths) {
        const QString file = QFileInfo(path).fileName();
        QString why;
        const auto bytes = ReadContactsFile(path, why);
        if (!bytes) {
            ShowOpenFailure(parent, path, why);
            return;
        }
        const ContactsOfFile read = ContactsFromFile(
            FormatOfPath(path.toStdString()), std::string_view(bytes->constData(), bytes->size()),
            *reading.charsets);
        if (!read.ok) {
            ShowMessage(parent, ToBytes(QStringLiteral("%1: %2; the book is unchanged.")
                                            .arg(file, QString::fromStdString(read.error))));
            return;
        }
        for (const std::string& p : read.problems)
            notes << file + QStringLiteral(": ") + QString::fromStdString(p);
        for (Contact c : read.contacts) {
            c.source = static_cast<int>(contacts.size()) + 1;
            contacts.push_back(std::move(c));
        }
    }
    NumberKeys keys{reading.numbers};
    const PhoneBook& book = page.Book();
    const auto planner = [&](const MergeOptions& options) {
        return PlanMerge(book, contacts, keys, options);
    };
    PreviewAndApply(parent, page, MergeDialog::Kind::Contacts, planner, keys, notes,
                    kContactsMerged);
}

void FindDuplicates(QWidget* parent, PhoneBookPage& page, const Profile& profile) {
    if (page.Locked()) return;
    NumberKeys keys{ContactsReading(profile).numbers};
    const PhoneBook& book = page.Book();
    const auto planner = [&](const MergeOptions& options) {
        return PlanDuplicates(book, keys, options);
    };
    PreviewAndApply(parent, page, MergeDialog::Kind::Duplicates, planner, keys, {},
                    kDuplicatesMerged);
}

}  // namespace numora

#include "app/ContactsCommands.h"

#include <QFile>
#include <QFileDialog>

#include "files/SaveFile.h"
#include "formats/BookFormats.h"
#include "history/BookHistory.h"
#include "ui/Modal.h"
#include "ui/PBDialog.h"

namespace numora {

namespace {

constexpr qint64 kMaxContactsBytes = 16 << 20;
constexpr int kProblemsShown = 20;

ContactsPathChooser& Chooser() {
    static ContactsPathChooser chooser;
    return chooser;
}

QString ChoosePath(QWidget* parent, bool save) {
    if (Chooser()) return Chooser()(parent, save);
    const QString filter = QStringLiteral(
        "Contacts (*.vcf *.csv);;vCard (*.vcf);;CSV (*.csv);;Google Contacts CSV (*.google.csv);;"
        "Outlook CSV (*.outlook.csv)");
    if (save) {
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Export Contacts"),
                                            QStringLiteral("contacts.vcf"), filter);
    }
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Import Contacts"), QString(),
                                        filter);
}

// The report of an import: how many were taken (or why none was), then what did not fit, the
// first lines of it.
QString Report(const QString& head, const std::vector<std::string>& problems) {
    QString text = head;
    if (problems.empty()) return text;
    text += QStringLiteral("\n\nWhat does not fit the handset:");
    for (std::size_t k = 0; k < problems.size() && k < kProblemsShown; ++k) {
        text += '\n' + QString::fromStdString(problems[k]);
    }
    if (problems.size() > kProblemsShown) {
        text += QStringLiteral("\n... and %1 more.").arg(problems.size() - kProblemsShown);
    }
    return text;
}

}  // namespace

void SetContactsPathChooser(ContactsPathChooser chooser) {
    Chooser() = std::move(chooser);
}

void ImportContactsFile(QWidget* parent, CPBDialog& page) {
    const QString path = ChoosePath(parent, false);
    if (!path.isEmpty()) ImportContactsFrom(parent, page, path);
}

void ImportContactsFrom(QWidget* parent, CPBDialog& page, const QString& path) {
    QFile file(path);
    if (file.size() > kMaxContactsBytes || !file.open(QIODevice::ReadOnly)) {
        page.MessageBox(kFileOpenFailed);
        return;
    }
    const QByteArray bytes = file.readAll();
    page.KeepEdits(history::kBeforeImport);
    page.EnableControls(false);
    const TextImport r =
        BookFromText(FormatOfPath(path.toStdString()),
                     std::string_view(bytes.constData(), bytes.size()), page.Book());
    if (!r.ok) {
        // Nothing was taken: the book is as it was.
        page.EnableControls(true);
        QString head = QString::fromStdString(r.error) + '.';
        head[0] = head[0].toUpper();
        ShowMessage(parent, Report(head, r.problems).toStdString());
        return;
    }
    page.ShowBook(BookChange::Everything);
    page.EnableControls(true);
    page.KeepBook(history::kImported);
    ShowMessage(
        parent,
        Report(QStringLiteral("%1 contact(s) imported.").arg(page.Book().CountUsedEntries()),
               r.problems)
            .toStdString());
}

void ExportContactsFile(QWidget* parent, CPBDialog& page) {
    QString path = ChoosePath(parent, true);
    if (path.isEmpty()) return;
    BookFormat format = FormatOfPath(path.toStdString());
    if (format != BookFormat::Csv && format != BookFormat::GoogleCsv &&
        format != BookFormat::OutlookCsv) {
        format = BookFormat::VCard;
        if (!path.endsWith(QLatin1String(".vcf"), Qt::CaseInsensitive)) path += ".vcf";
    }
    const std::string text = BookToText(format, page.Book());
    if (!SaveFileAtomically(path,
                            QByteArrayView(text.data(), static_cast<qsizetype>(text.size())))) {
        page.MessageBox(kFileSaveFailed);
        return;
    }
    ShowMessage(parent, QStringLiteral("%1 contact(s) exported.")
                            .arg(page.Book().CountUsedEntries())
                            .toStdString());
}

}  // namespace numora

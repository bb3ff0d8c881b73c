#include "app/ContactsCommands.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdlib>

#include "files/SaveFile.h"
#include "formats/BookFormats.h"
#include "formats/ContactFiles.h"
#include "history/BookHistory.h"
#include "link/Profile.h"
#include "text/QtCharsets.h"
#include "ui/Modal.h"
#include "ui/PhoneBookPage.h"

namespace numora {

namespace {

// The types Export Contacts offers, each with the extension it adds and the shape it writes.
struct ExportType {
    const char* filter;
    const char* extension;
    BookFormat format;
};
constexpr ExportType kExportTypes[] = {
    {"vCard (*.vcf)", ".vcf", BookFormat::VCard},
    {"CSV (*.csv)", ".csv", BookFormat::Csv},
    {"Google Contacts CSV (*.google.csv)", ".google.csv", BookFormat::GoogleCsv},
    {"Outlook CSV (*.outlook.csv)", ".outlook.csv", BookFormat::OutlookCsv},
};

ContactsPathChooser& Chooser() {
    static ContactsPathChooser chooser;
    return chooser;
}

ContactsFileChoice ChoosePath(QWidget* parent, bool save) {
    if (Chooser()) return Chooser()(parent, save);
    ContactsFileChoice choice;
    if (save) {
        QStringList filters;
        for (const ExportType& t : kExportTypes)
            filters << QString::fromLatin1(t.filter);
        choice.type = filters.front();
        choice.path = QFileDialog::getSaveFileName(
            parent, QStringLiteral("Export Contacts"), QStringLiteral("contacts.vcf"),
            filters.join(QStringLiteral(";;")), &choice.type);
        return choice;
    }
    choice.path = QFileDialog::getOpenFileName(
        parent, QStringLiteral("Import Contacts"), QString(),
        QStringLiteral("Contacts (*.vcf *.vcard *.csv);;vCard (*.vcf *.vcard);;CSV (*.csv);;"
                       "All files (*)"));
    return choice;
}

// The shape an export writes, and the name it gets: the name's own extension when it is one of
// the contact formats' (a plain ".csv" takes the Google or Outlook shape when that type was
// chosen), else the chosen type's shape with its extension added.
BookFormat ExportFormat(const QString& type, QString& path) {
    const ExportType* chosen = &kExportTypes[0];
    for (const ExportType& t : kExportTypes) {
        if (type == QLatin1String(t.filter)) chosen = &t;
    }
    const BookFormat named = FormatOfPath(path.toStdString());
    if (named == BookFormat::Csv &&
        (chosen->format == BookFormat::GoogleCsv || chosen->format == BookFormat::OutlookCsv)) {
        return chosen->format;
    }
    if (named == BookFormat::VCard || named == BookFormat::Csv || named == BookFormat::GoogleCsv ||
        named == BookFormat::OutlookCsv) {
        return named;
    }
    path += QLatin1String(chosen->extension);
    return chosen->format;
}

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The whole report: the head, then every line of what did not fit.
QString Report(const QString& head, const QString& listHead,
               const std::vector<std::string>& lines) {
    QString text = head;
    if (lines.empty()) return text;
    text += QStringLiteral("\n\n") + listHead;
    for (const std::string& line : lines)
        text += '\n' + Utf8(line);
    return text;
}

void ShowReport(QWidget* parent, const QString& title, const QString& text) {
    ContactsReportDialog dialog(title, text, parent);
    RunModal(dialog);
}

void ImportContactsOf(QWidget* parent, PhoneBookPage& page, const Profile& profile,
                      const QString& path, const QByteArray& bytes) {
    page.KeepEdits(history::kBeforeImport);
    page.EnableControls(false);
    const TextImport r = BookFromText(FormatOfPath(path.toStdString()),
                                      std::string_view(bytes.constData(), bytes.size()),
                                      page.Book(), ContactsReading(profile));
    const QString readAs =
        r.encoding.empty() ? QString() : QStringLiteral(" (read as %1)").arg(Utf8(r.encoding));
    const QString listHead = QStringLiteral("What does not fit the handset (%1):")
                                 .arg(static_cast<qsizetype>(r.problems.size()));
    if (!r.ok) {
        // Nothing was taken: the book is as it was.
        page.EnableControls(true);
        QString head = Utf8(r.error) + QStringLiteral("; the book is unchanged") + readAs + '.';
        head[0] = head[0].toUpper();
        ShowReport(parent, QStringLiteral("Import Contacts"), Report(head, listHead, r.problems));
        return;
    }
    page.ShowBook(BookChange::Everything);
    page.EnableControls(true);
    page.KeepBook(history::kImported);
    ShowReport(parent, QStringLiteral("Import Contacts"),
               Report(QStringLiteral("%1 contact(s) imported%2.")
                          .arg(page.Book().CountUsedEntries())
                          .arg(readAs),
                      listHead, r.problems));
}

}  // namespace

ContactsOptions ContactsReading(const Profile& profile) {
    static const QtCharsets charsets;
    std::string region = profile.GetString(kPortSection, kHomeRegionKey, "");
    if (!IsKnownRegion(region)) {
        const auto env = [](const char* name) {
            const char* value = std::getenv(name);
            return std::string_view(value != nullptr ? value : "");
        };
        region = HomeRegionFromLocale(env("LC_ALL"), env("LC_TELEPHONE"), env("LANG"));
    }
    return ContactsOptions{PhoneNumbers(region), &charsets};
}

ContactsReportDialog::ContactsReportDialog(const QString& title, const QString& text,
                                           QWidget* parent)
    : QDialog(parent), m_text(new QPlainTextEdit(this)) {
    setWindowTitle(title);
    setSizeGripEnabled(true);
    m_text->setObjectName(QStringLiteral("reportText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setPlainText(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* copy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    QPushButton* save =
        buttons->addButton(QStringLiteral("&Save As..."), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("copyButton"));
    save->setObjectName(QStringLiteral("saveButton"));
    connect(copy, &QPushButton::clicked, this, &ContactsReportDialog::OnCopy);
    connect(save, &QPushButton::clicked, this, &ContactsReportDialog::OnSaveAs);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    // Room for a report line of a contact and its value, within a 1024x600 screen.
    setMinimumSize(320, 200);
    resize(720, 420);
}

QString ContactsReportDialog::Text() const {
    return m_text->toPlainText();
}

void ContactsReportDialog::OnCopy() {
    QApplication::clipboard()->setText(Text());
}

void ContactsReportDialog::OnSaveAs() {
    const QString path = m_choosePath
                             ? m_choosePath(this)
                             : QFileDialog::getSaveFileName(this, QStringLiteral("Save Report"),
                                                            QStringLiteral("contacts-report.txt"),
                                                            QStringLiteral("Text (*.txt)"));
    if (path.isEmpty()) return;
    const QByteArray bytes = (Text() + '\n').toUtf8();
    if (QString why; !SaveFileAtomically(path, QByteArrayView(bytes), &why)) {
        ShowFileFailure(this, kFileSaveFailed, path, why);
    }
}

void SetContactsPathChooser(ContactsPathChooser chooser) {
    Chooser() = std::move(chooser);
}

namespace {

constexpr auto kMaxContactsBytes = static_cast<qint64>(kMaxContactsFileBytes);

QString TooLarge() {
    return QString::fromUtf8(kContactsFileTooLarge.data(), kContactsFileTooLarge.size());
}

bool OpenContactsFile(QFile& file, QString& why) {
    if (!file.open(QIODevice::ReadOnly)) {
        why = file.errorString();
        return false;
    }
    if (file.size() > kMaxContactsBytes) {
        why = TooLarge();
        return false;
    }
    return true;
}

}  // namespace

bool ContactsFileReadable(const QString& path, QString& why) {
    QFile file(path);
    return OpenContactsFile(file, why);
}

std::optional<QByteArray> ReadContactsFile(const QString& path, QString& why) {
    QFile file(path);
    if (!OpenContactsFile(file, why)) return std::nullopt;
    QByteArray bytes = file.read(kMaxContactsBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        why = file.errorString();
        return std::nullopt;
    }
    if (bytes.size() > kMaxContactsBytes) {
        why = TooLarge();
        return std::nullopt;
    }
    return bytes;
}

void ShowOpenFailure(QWidget* parent, const QString& path, const QString& why) {
    ShowFileFailure(parent, kFileOpenFailed, path, why);
}

void ImportContactsFile(QWidget* parent, PhoneBookPage& page, const Profile& profile) {
    const QString path = ChoosePath(parent, false).path;
    if (path.isEmpty()) return;
    QString why;
    const auto bytes = ReadContactsFile(path, why);
    if (!bytes) {
        ShowOpenFailure(parent, path, why);
        return;
    }
    if (page.Book().CountUsedEntries() > 0 && !AskQuestion(parent, kImportReplaces)) return;
    ImportContactsOf(parent, page, profile, path, *bytes);
}

void ImportContactsFrom(QWidget* parent, PhoneBookPage& page, const Profile& profile,
                        const QString& path) {
    QString why;
    const auto bytes = ReadContactsFile(path, why);
    if (!bytes) {
        ShowOpenFailure(parent, path, why);
        return;
    }
    ImportContactsOf(parent, page, profile, path, *bytes);
}

void ExportContactsFile(QWidget* parent, PhoneBookPage& page) {
    ContactsFileChoice choice = ChoosePath(parent, true);
    if (choice.path.isEmpty()) return;
    const BookFormat format = ExportFormat(choice.type, choice.path);
    const std::string text = BookToText(format, page.Book());
    if (QString why; !SaveFileAtomically(
            choice.path, QByteArrayView(text.data(), static_cast<qsizetype>(text.size())), &why)) {
        ShowFileFailure(parent, kFileSaveFailed, choice.path, why);
        return;
    }
    const QString head = QStringLiteral("%1 contact(s) exported to %2.")
                             .arg(page.Book().CountUsedEntries())
                             .arg(QFileInfo(choice.path).fileName());
    const auto lost = WhatFormatLeavesOut(format, page.Book());
    if (lost.empty()) {
        CurrentModalRunner().Message(parent, head);
    } else {
        ShowReport(parent, QStringLiteral("Export Contacts"),
                   Report(head, QStringLiteral("Left out:"), lost));
    }
}

}  // namespace numora

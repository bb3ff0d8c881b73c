#include "ui/QtFileAccess.h"

#include <QDir>
#include <QFileDialog>

#include "files/SaveFile.h"
#include "ui/Modal.h"

namespace numora {

QtFileAccess::QtFileAccess(QWidget* parent, Chooser chooser)
    : m_parent(parent), m_chooser(std::move(chooser)) {}

std::optional<QString> QtFileAccess::AskDialog(bool save) {
    QFileDialog dialog(m_parent, QString(), QDir::currentPath(),
                       QStringLiteral("Phonebook file(*.pb)"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("pb"));
    dialog.selectFile(QStringLiteral("*.pb"));
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first();
}

std::optional<std::string> QtFileAccess::ChooseOpenPath() {
    const auto path = m_chooser ? m_chooser(false) : AskDialog(false);
    if (!path || path->isEmpty()) return std::nullopt;
    return path->toStdString();
}

std::optional<std::string> QtFileAccess::ChooseSavePath() {
    const auto path = m_chooser ? m_chooser(true) : AskDialog(true);
    if (!path || path->isEmpty()) return std::nullopt;
    return path->toStdString();
}

ReadResult QtFileAccess::ReadAll(const std::string& path, std::vector<uint8_t>& bytes) {
    constexpr auto kMax = static_cast<qint64>(kMaxBookFileBytes);
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return ReadResult::Failed;
    const qint64 size = file.size();
    if (size < 0) return ReadResult::Failed;
    if (size > kMax) return ReadResult::TooLarge;
    const QByteArray data = file.read(kMax + 1);
    if (data.size() > kMax) return ReadResult::TooLarge;
    if (file.error() != QFileDevice::NoError) return ReadResult::Failed;
    bytes.assign(data.begin(), data.end());
    return ReadResult::Done;
}

bool QtFileAccess::Save(const std::string& path, std::span<const uint8_t> bytes,
                        FileReaders readers) {
    return SaveFileAtomically(QString::fromStdString(path),
                              QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                              nullptr, readers == FileReaders::OwnerOnly);
}

}  // namespace numora

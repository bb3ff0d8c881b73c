#include "matching/AnswersFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "files/SaveFile.h"

namespace numora {

namespace {

// Years of answers stay far below this.
constexpr qint64 kMaxAnswersBytes = 16 << 20;

}  // namespace

QString PairAnswersPath(const QString& historyFolder) {
    return QFileInfo(historyFolder).dir().filePath(QStringLiteral("likely-pairs.json"));
}

PairAnswers LoadPairAnswers(const QString& path, QString* error) {
    QFile file(path);
    if (!file.exists()) return {};
    if (file.size() > kMaxAnswersBytes || !file.open(QIODevice::ReadOnly)) {
        if (error != nullptr) *error = QStringLiteral("%1 cannot be read").arg(path);
        return {};
    }
    const QByteArray bytes = file.readAll();
    std::string reason;
    auto answers = PairAnswers::FromJson(std::string_view(bytes.constData(), bytes.size()), reason);
    if (!answers) {
        if (error != nullptr) *error = path + ": " + QString::fromStdString(reason);
        return {};
    }
    return std::move(*answers);
}

bool SavePairAnswers(const QString& path, const PairAnswers& answers) {
    QDir().mkpath(QFileInfo(path).path());
    const std::string text = answers.ToJson();
    return SaveFileAtomically(path,
                              QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace numora

#include "carddav/SyncStore.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "files/SaveFile.h"
#include "history/BookHistory.h"

namespace numora {

namespace {

QString FileNameSafe(QString name) {
    for (QChar& c : name) {
        if (!c.isLetterOrNumber() && c != '-' && c != '_') c = '_';
    }
    return name.left(40);
}

}  // namespace

SyncStore::SyncStore()
    : SyncStore(QFileInfo(BookHistory::DefaultFolder()).path() + QStringLiteral("/addressbooks"),
                BookHistory::DefaultFolder() + QStringLiteral("/cards")) {}

SyncStore::SyncStore(const QString& stateFolder, QString cardsFolder)
    : SyncStore(stateFolder, std::move(cardsFolder),
                QFileInfo(stateFolder).dir().filePath(QStringLiteral("likely-pairs.json"))) {}

SyncStore::SyncStore(QString stateFolder, QString cardsFolder, QString answersFile)
    : m_stateFolder(std::move(stateFolder)),
      m_cardsFolder(std::move(cardsFolder)),
      m_answersFile(std::move(answersFile)) {}

QString SyncStore::KeyOf(const QString& server, const QString& user, const QString& addressBook,
                         const QString& category) {
    const QByteArray identity =
        (server + '\n' + user + '\n' + addressBook + '\n' + category).toUtf8();
    return QString::fromLatin1(
        QCryptographicHash::hash(identity, QCryptographicHash::Sha256).toHex().left(24));
}

std::optional<AddressBookState> SyncStore::Load(const QString& key, QString& error) const {
    error.clear();
    QFile file(m_stateFolder + '/' + key + QStringLiteral(".json"));
    if (!file.exists()) return std::nullopt;
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    std::string why;
    auto state = StateFromJson(std::string_view(bytes.constData(), bytes.size()), why);
    if (!state) error = QStringLiteral("%1: %2").arg(file.fileName(), QString::fromStdString(why));
    return state;
}

bool SyncStore::Save(const QString& key, const AddressBookState& state, QString& error) const {
    const QString path = m_stateFolder + '/' + key + QStringLiteral(".json");
    const std::string json = StateToJson(state);
    if (!QDir().mkpath(m_stateFolder) ||
        !SaveFileAtomically(path,
                            QByteArrayView(json.data(), static_cast<qsizetype>(json.size())))) {
        error = QStringLiteral("the sync's state could not be saved in %1").arg(path);
        return false;
    }
    return true;
}

QString SyncStore::KeepCards(const QString& addressBook, const std::string& cards,
                             QString& error) const {
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QString path =
        m_cardsFolder + '/' + stamp + ' ' + FileNameSafe(addressBook) + QStringLiteral(".vcf");
    if (!QDir().mkpath(m_cardsFolder) ||
        !SaveFileAtomically(path,
                            QByteArrayView(cards.data(), static_cast<qsizetype>(cards.size())))) {
        error = QStringLiteral("the server's cards could not be kept in %1").arg(path);
        return {};
    }
    return path;
}

}  // namespace numora

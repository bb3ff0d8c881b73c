#include "carddav/Passwords.h"

#include <qt6keychain/keychain.h>
#include <QEventLoop>
#include <QTimer>

namespace numora {

namespace {

constexpr char kService[] = "numora-carddav";

// A keyring lives in a desktop session; without one, asking could start one or wait.
bool SessionThere() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS");
#else
    return true;
#endif
}

// Runs a job to its end or the time-out; its error, or none.
std::optional<QString> Run(QKeychain::Job& job, int timeoutMs) {
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    job.setAutoDelete(false);
    job.start();
    if (!finished) loop.exec();
    if (!finished) return QStringLiteral("the keyring did not answer");
    if (job.error() != QKeychain::NoError) return job.errorString();
    return std::nullopt;
}

}  // namespace

QString KeyringKey(const QString& server, const QString& user) {
    return user + '@' + server;
}

std::optional<QString> ReadKeyringPassword(const QString& key, int timeoutMs) {
    if (!SessionThere()) return std::nullopt;
    QKeychain::ReadPasswordJob job(QString::fromLatin1(kService));
    job.setKey(key);
    if (Run(job, timeoutMs)) return std::nullopt;
    return job.textData();
}

bool StoreKeyringPassword(const QString& key, const QString& password, QString& error) {
    if (!SessionThere()) {
        error = QStringLiteral("no desktop keyring is running");
        return false;
    }
    QKeychain::WritePasswordJob job(QString::fromLatin1(kService));
    job.setKey(key);
    job.setTextData(password);
    if (const auto why = Run(job, 10000)) {
        error = *why;
        return false;
    }
    return true;
}

bool ForgetKeyringPassword(const QString& key) {
    if (!SessionThere()) return false;
    QKeychain::DeletePasswordJob job(QString::fromLatin1(kService));
    job.setKey(key);
    return !Run(job, 5000).has_value();
}

}  // namespace numora

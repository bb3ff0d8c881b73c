#include "carddav/DavClient.h"

#include <QAuthenticator>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QSslError>
#include <QTimer>

namespace numora {

struct DavClient::Pending {
    DavRequest request;
    std::function<void(const DavReply&)> done;
    int redirects = 0;
    bool authTried = false;
    bool timedOut = false;
    bool cancelled = false;
    QStringList tlsProblems;
    QElapsedTimer clock;
};

namespace {

// The URL as the trace shows it: without user information, query or fragment.
QString Shown(const QUrl& url) {
    return url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveQuery | QUrl::RemoveFragment).toString();
}

bool IsLoopback(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

}  // namespace

DavClient::DavClient(QObject* parent) : QObject(parent) {
    m_network.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    connect(&m_network, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply* reply, QAuthenticator* auth) {
                // Credentials are offered once per request: a second challenge means they
                // were refused, and the request ends with 401 instead of asking for ever.
                // No password is no answer: an empty one is never sent.
                if (reply->property("numora-auth-tried").toBool() || m_password.isEmpty()) return;
                reply->setProperty("numora-auth-tried", true);
                if (m_trace) {
                    m_trace(
                        QStringLiteral("  -> 401: the server asks who is calling; sent again "
                                       "with the user name and password"));
                }
                auth->setUser(m_user);
                auth->setPassword(m_password);
            });
}

DavClient::~DavClient() {
    // No callback may reach an owner that is going away with this client.
    for (const auto& [reply, p] : m_running) {
        reply->disconnect(this);
        reply->abort();
    }
}

void DavClient::SetCredentials(const QString& user, const QString& password) {
    m_user = user;
    m_password = password;
}

bool DavClient::AddCaFile(const QString& path, QString& error) {
    const auto certificates = QSslCertificate::fromPath(path, QSsl::Pem);
    if (certificates.isEmpty()) {
        error = QStringLiteral("%1 holds no certificate (PEM)").arg(path);
        return false;
    }
    m_authorities += certificates;
    return true;
}

QString DavClient::UrlProblem(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty()) {
        return QStringLiteral("\"%1\" is not a server address").arg(Shown(url));
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https")) return {};
    if (scheme == QLatin1String("http")) {
        if (IsLoopback(url.host())) return {};
        return QStringLiteral(
                   "plain http:// would send the password unencrypted to %1: use https://")
            .arg(url.host());
    }
    return QStringLiteral("\"%1\" is not an http or https address").arg(Shown(url));
}

void DavClient::Send(const DavRequest& request, std::function<void(const DavReply&)> done) {
    auto p = std::make_shared<Pending>();
    p->request = request;
    p->done = std::move(done);
    Start(std::move(p));
}

void DavClient::Start(std::shared_ptr<Pending> p) {
    const QString problem = UrlProblem(p->request.url);
    if (!problem.isEmpty()) {
        DavReply reply;
        reply.url = p->request.url;
        reply.error = problem;
        QTimer::singleShot(0, this, [p, reply] { p->done(reply); });
        return;
    }
    QNetworkRequest req(p->request.url);
    req.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Numora"));
    if (!p->request.contentType.isEmpty()) {
        req.setHeader(QNetworkRequest::ContentTypeHeader, p->request.contentType);
    }
    for (const auto& [name, value] : p->request.headers)
        req.setRawHeader(name, value);
    if (!m_authorities.isEmpty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(m_authorities);
        req.setSslConfiguration(tls);
    }
    ++m_requests;
    p->clock.start();
    if (m_trace) m_trace(QString::fromLatin1(p->request.verb) + " " + Shown(p->request.url));
    QNetworkReply* reply = p->request.body.isEmpty() && p->request.verb == "GET"
                               ? m_network.get(req)
                               : m_network.sendCustomRequest(req, p->request.verb, p->request.body);
    m_running.emplace(reply, p);
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, reply, [p, reply] {
        p->timedOut = true;
        reply->abort();
    });
    timer->start(m_timeoutMs);
    connect(reply, &QNetworkReply::sslErrors, reply, [p](const QList<QSslError>& errors) {
        for (const QSslError& e : errors)
            p->tlsProblems << e.errorString();
    });
    connect(reply, &QNetworkReply::finished, this, [this, p, reply] { Finish(p, reply); });
}

void DavClient::Finish(const std::shared_ptr<Pending>& p, QNetworkReply* reply) {
    m_running.erase(reply);
    reply->deleteLater();
    DavReply out;
    out.url = reply->url();
    out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->isOpen()) out.body = reply->readAll();  // closed once aborted (time-out, Cancel)
    out.etag = reply->rawHeader("ETag");
    const QString timing = QStringLiteral(" (%1 ms)").arg(p->clock.elapsed());
    if (p->cancelled) {
        out.cancelled = true;
        out.error = QStringLiteral("cancelled");
    } else if (p->timedOut) {
        out.status = 0;
        out.error = QStringLiteral("no answer from %1 within %2 s")
                        .arg(p->request.url.host())
                        .arg(m_timeoutMs / 1000);
    } else if (!p->tlsProblems.isEmpty()) {
        out.status = 0;
        out.error = QStringLiteral("the server's certificate is not trusted: %1")
                        .arg(p->tlsProblems.join(QStringLiteral("; ")));
    } else if (out.status == 401 || reply->error() == QNetworkReply::AuthenticationRequiredError) {
        out.status = 401;
        out.error = m_password.isEmpty()
                        ? QStringLiteral("the server asks for a password")
                        : QStringLiteral("the server refused the user name or password");
    } else if (out.status == 0) {
        out.error = reply->errorString();
    }
    if (m_trace) {
        m_trace(
            QStringLiteral("  -> ") +
            (out.status != 0 ? QString::number(out.status) : QStringLiteral("no answer")) +
            (out.status == 0 || out.status == 401 ? QStringLiteral(": ") + out.error : QString()) +
            timing);
    }
    const bool redirect = out.status == 301 || out.status == 302 || out.status == 303 ||
                          out.status == 307 || out.status == 308;
    if (redirect && out.error.isEmpty()) {
        const QByteArray location = reply->rawHeader("Location");
        const QUrl next = p->request.url.resolved(QUrl::fromEncoded(location));
        if (location.isEmpty() || p->redirects >= kMaxRedirects) {
            out.error = QStringLiteral("the server redirects without end");
        } else if (p->request.url.scheme() == QLatin1String("https") &&
                   next.scheme() != QLatin1String("https")) {
            out.error = QStringLiteral("the server redirects from https to %1").arg(Shown(next));
        } else {
            ++p->redirects;
            p->request.url = next;
            Start(p);
            return;
        }
    }
    p->done(out);
}

void DavClient::Cancel() {
    const auto running = m_running;
    for (const auto& [reply, p] : running) {
        p->cancelled = true;
        reply->abort();
    }
}

}  // namespace numora

// HTTP for the address-book sync, on Qt Network: WebDAV's verbs, Basic and Digest
// authentication (the user name and password are handed to Qt's authenticator and never
// written anywhere), redirects followed with the same verb, a time-out on every request, TLS
// checked (with an extra authority from a file), plain http only to this machine, and a trace
// of every request and its status.
#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPair>
#include <QSslCertificate>
#include <QString>
#include <QUrl>
#include <functional>
#include <map>
#include <memory>

class QNetworkReply;

namespace numora {

struct DavRequest {
    QByteArray verb;
    QUrl url;
    QByteArray body;
    QByteArray contentType;
    QList<QPair<QByteArray, QByteArray>> headers;  // Depth, If-Match, If-None-Match...
};

struct DavReply {
    int status = 0;  // 0 when no HTTP answer came
    QByteArray body;
    QByteArray etag;
    QUrl url;       // where the request ended, after redirects
    QString error;  // why no usable answer came: network, TLS, time-out, refused credentials
    bool cancelled = false;
    [[nodiscard]] bool Ok() const { return error.isEmpty() && status >= 200 && status < 300; }
};

class DavClient : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 30000;
    static constexpr int kMaxRedirects = 5;

    explicit DavClient(QObject* parent = nullptr);
    ~DavClient() override;

    void SetCredentials(const QString& user, const QString& password);
    // Adds the certificate authorities of a PEM file; false (with the reason) when it has none.
    bool AddCaFile(const QString& path, QString& error);
    void SetTimeoutMs(int ms) { m_timeoutMs = ms; }
    // One line per request and per status; never a header or a credential.
    void SetTrace(std::function<void(const QString&)> trace) { m_trace = std::move(trace); }

    // Why a URL may not be used (plain http to another machine, no host, another scheme);
    // empty when it may.
    static QString UrlProblem(const QUrl& url);

    // Sends the request and calls back once with its reply, on the event loop.
    void Send(const DavRequest& request, std::function<void(const DavReply&)> done);
    // Ends every request under way; each calls back as cancelled.
    void Cancel();

    [[nodiscard]] int RequestCount() const { return m_requests; }
    [[nodiscard]] bool HasPassword() const { return !m_password.isEmpty(); }

private:
    struct Pending;
    void Start(std::shared_ptr<Pending> p);
    void Finish(const std::shared_ptr<Pending>& p, QNetworkReply* reply);

    QNetworkAccessManager m_network;
    QString m_user;
    QString m_password;
    QList<QSslCertificate> m_authorities;
    int m_timeoutMs = kDefaultTimeoutMs;
    int m_requests = 0;
    std::function<void(const QString&)> m_trace;
    std::map<QNetworkReply*, std::shared_ptr<Pending>> m_running;
};

}  // namespace numora

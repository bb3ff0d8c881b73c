// The WebDAV and CardDAV XML the sync sends and reads: request bodies written with
// QXmlStreamWriter, multi-status replies read with QXmlStreamReader.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace numora::dav {

inline constexpr char kDav[] = "DAV:";
inline constexpr char kCardDav[] = "urn:ietf:params:xml:ns:carddav";
inline constexpr char kCalendarServer[] = "http://calendarserver.org/ns/";

// A property of a reply: its text, the hrefs inside it, and the names of the elements inside
// it ("addressbook" in a resourcetype, "sync-collection" in a supported-report-set).
struct Prop {
    QString ns;
    QString name;
    QString text;
    QStringList hrefs;
    QStringList elements;  // "namespace name"
    [[nodiscard]] bool Has(const char* elementNs, const char* elementName) const;
};

struct Response {
    QString href;
    int status = 0;           // the response's own status, 0 when it has propstats instead
    std::vector<Prop> props;  // the properties found (a propstat of 2xx)
    [[nodiscard]] const Prop* Find(const char* ns, const char* name) const;
    [[nodiscard]] QString Text(const char* ns, const char* name) const;
};

struct MultiStatus {
    std::vector<Response> responses;
    QString syncToken;
    QString error;  // empty when the reply was read
};

MultiStatus ParseMultiStatus(const QByteArray& xml);

// A status line's code: "HTTP/1.1 404 Not Found" is 404; 0 when there is none.
int StatusCode(const QString& line);

// PROPFIND bodies.
QByteArray PropfindPrincipal();    // current-user-principal, resourcetype, displayname
QByteArray PropfindHomeSet();      // addressbook-home-set
QByteArray PropfindCollections();  // resourcetype, displayname, getctag, sync-token, reports
QByteArray PropfindCardEtags();    // getetag, resourcetype
// REPORTs.
QByteArray SyncCollection(const QString& token);
QByteArray Multiget(const QStringList& hrefs);

}  // namespace numora::dav

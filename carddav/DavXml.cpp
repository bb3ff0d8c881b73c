#include "carddav/DavXml.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <functional>

namespace numora::dav {

namespace {

QString Key(const QString& ns, const QString& name) {
    return ns + " " + name;
}

// Writes one request: a root element with the DAV: and CardDAV prefixes, its content by `body`.
QByteArray Document(const char* rootNs, const char* root,
                    const std::function<void(QXmlStreamWriter&)>& body) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeNamespace(kDav, "d");
    w.writeNamespace(kCardDav, "card");
    w.writeNamespace(kCalendarServer, "cs");
    w.writeStartElement(rootNs, root);
    body(w);
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

void Props(QXmlStreamWriter& w, std::initializer_list<std::pair<const char*, const char*>> props) {
    w.writeStartElement(kDav, "prop");
    for (const auto& [ns, name] : props)
        w.writeEmptyElement(ns, name);
    w.writeEndElement();
}

QByteArray Propfind(std::initializer_list<std::pair<const char*, const char*>> props) {
    return Document(kDav, "propfind", [&](QXmlStreamWriter& w) { Props(w, props); });
}

// Reads one property element (the reader stands on its start) up to its end.
Prop ReadProp(QXmlStreamReader& r) {
    Prop p;
    p.ns = r.namespaceUri().toString();
    p.name = r.name().toString();
    int depth = 1;
    bool inHref = false;
    QString href;
    while (depth > 0 && !r.atEnd()) {
        switch (r.readNext()) {
            case QXmlStreamReader::StartElement:
                ++depth;
                p.elements << Key(r.namespaceUri().toString(), r.name().toString());
                if (r.name() == u"href" && r.namespaceUri() == QLatin1String(kDav)) {
                    inHref = true;
                    href.clear();
                }
                break;
            case QXmlStreamReader::EndElement:
                --depth;
                if (inHref && r.name() == u"href") {
                    p.hrefs << href.trimmed();
                    inHref = false;
                }
                break;
            case QXmlStreamReader::Characters:
                p.text += r.text();
                if (inHref) href += r.text();
                break;
            default:
                break;
        }
    }
    return p;
}

}  // namespace

bool Prop::Has(const char* elementNs, const char* elementName) const {
    return elements.contains(Key(QLatin1String(elementNs), QLatin1String(elementName)));
}

const Prop* Response::Find(const char* ns, const char* name) const {
    for (const Prop& p : props) {
        if (p.ns == QLatin1String(ns) && p.name == QLatin1String(name)) return &p;
    }
    return nullptr;
}

QString Response::Text(const char* ns, const char* name) const {
    const Prop* p = Find(ns, name);
    return p != nullptr ? p->text.trimmed() : QString();
}

int StatusCode(const QString& line) {
    const QStringList parts = line.simplified().split(' ');
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

MultiStatus ParseMultiStatus(const QByteArray& xml) {
    MultiStatus out;
    QXmlStreamReader r(xml);
    Response* response = nullptr;
    std::vector<Prop> pending;  // the properties of the propstat being read
    int propstatStatus = 0;
    bool inPropstat = false;
    bool sawRoot = false;
    while (!r.atEnd()) {
        const auto token = r.readNext();
        const bool dav = r.namespaceUri() == QLatin1String(kDav);
        if (token == QXmlStreamReader::StartElement) {
            if (!sawRoot) {
                sawRoot = true;
                if (!dav || r.name() != u"multistatus") {
                    out.error = QStringLiteral("the reply is not a WebDAV multi-status");
                    return out;
                }
                continue;
            }
            if (dav && r.name() == u"response") {
                out.responses.emplace_back();
                response = &out.responses.back();
            } else if (dav && r.name() == u"propstat") {
                inPropstat = true;
                pending.clear();
                propstatStatus = 0;
            } else if (dav && r.name() == u"prop" && inPropstat) {
                while (r.readNextStartElement())
                    pending.push_back(ReadProp(r));
            } else if (dav && r.name() == u"status") {
                const int code = StatusCode(r.readElementText());
                if (inPropstat) {
                    propstatStatus = code;
                } else if (response != nullptr) {
                    response->status = code;
                }
            } else if (dav && r.name() == u"href" && response != nullptr && !inPropstat) {
                response->href = r.readElementText().trimmed();
            } else if (dav && r.name() == u"sync-token" && response == nullptr) {
                out.syncToken = r.readElementText().trimmed();
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (dav && r.name() == u"propstat") {
                inPropstat = false;
                if (response != nullptr && propstatStatus >= 200 && propstatStatus < 300) {
                    for (Prop& p : pending)
                        response->props.push_back(std::move(p));
                }
            } else if (dav && r.name() == u"response") {
                response = nullptr;
            }
        }
    }
    if (r.hasError()) {
        out.error = QStringLiteral("the server's reply is not well-formed XML (line %1: %2)")
                        .arg(r.lineNumber())
                        .arg(r.errorString());
    } else if (!sawRoot) {
        out.error = QStringLiteral("the server's reply is empty");
    }
    return out;
}

QByteArray PropfindPrincipal() {
    return Propfind({{kDav, "current-user-principal"},
                     {kDav, "resourcetype"},
                     {kDav, "displayname"},
                     {kCardDav, "addressbook-home-set"}});
}

QByteArray PropfindHomeSet() {
    return Propfind({{kCardDav, "addressbook-home-set"}});
}

QByteArray PropfindCollections() {
    return Propfind({{kDav, "resourcetype"},
                     {kDav, "displayname"},
                     {kCalendarServer, "getctag"},
                     {kDav, "sync-token"},
                     {kDav, "supported-report-set"}});
}

QByteArray PropfindCardEtags() {
    return Propfind({{kDav, "getetag"}, {kDav, "resourcetype"}});
}

QByteArray SyncCollection(const QString& token) {
    return Document(kDav, "sync-collection", [&](QXmlStreamWriter& w) {
        w.writeTextElement(kDav, "sync-token", token);
        w.writeTextElement(kDav, "sync-level", QStringLiteral("1"));
        Props(w, {{kDav, "getetag"}});
    });
}

QByteArray Multiget(const QStringList& hrefs) {
    return Document(kCardDav, "addressbook-multiget", [&](QXmlStreamWriter& w) {
        Props(w, {{kDav, "getetag"}, {kCardDav, "address-data"}});
        for (const QString& href : hrefs)
            w.writeTextElement(kDav, "href", href);
    });
}

}  // namespace numora::dav

#include "carddav/AddressBookSync.h"

#include <QRegularExpression>
#include <QUuid>
#include <algorithm>

#include "addressbook/Card.h"
#include "matching/AnswersFile.h"

namespace numora {

namespace {

using dav::kCalendarServer;
using dav::kCardDav;
using dav::kDav;

QString Reason(const DavReply& reply, const QString& what) {
    if (!reply.error.isEmpty()) return reply.error;
    return QStringLiteral("%1: the server answered %2").arg(what).arg(reply.status);
}

}  // namespace

AddressBookSync::AddressBookSync(SyncSettings settings, DavClient& client, const SyncStore& store,
                                 QObject* parent)
    : QObject(parent), m_settings(std::move(settings)), m_client(client), m_store(store) {
    m_options.category = m_settings.category;
    m_options.region = m_settings.region;
    m_options.preferBook = m_settings.preferBook;
    m_options.answers = m_settings.answers;
    m_options.remembered = &m_answers;
    m_options.newUid = [] {
        return QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    };
    // One state per address book, whatever the category: a change of category must meet the
    // pairs it would otherwise duplicate.
    m_key =
        SyncStore::KeyOf(m_settings.server.toString(), m_settings.user, m_settings.addressBook, {});
}

std::optional<std::string> AddressBookSync::DeletionStop() const {
    return numora::DeletionStop(m_plan, m_state);
}

void AddressBookSync::Fail(const QString& why) {
    emit failed(m_cancelled ? QStringLiteral("cancelled") : why);
}

void AddressBookSync::Cancel() {
    m_cancelled = true;
    m_client.Cancel();
}

QString AddressBookSync::PathOf(const QString& href) const {
    return m_collection.resolved(QUrl::fromEncoded(href.trimmed().toUtf8()))
        .path(QUrl::FullyDecoded);
}

DavRequest AddressBookSync::Report(const QByteArray& body, const char* depth) const {
    return {"REPORT", m_collection, body, "application/xml; charset=utf-8", {{"Depth", depth}}};
}

QUrl AddressBookSync::UrlOf(const QString& path) const {
    QUrl url = m_collection;
    url.setPath(path, QUrl::DecodedMode);
    return url;
}

void AddressBookSync::Propfind(const QUrl& url, int depth, const QByteArray& body,
                               std::function<void(const dav::MultiStatus&)> next) {
    DavRequest r{"PROPFIND",
                 url,
                 body,
                 "application/xml; charset=utf-8",
                 {{"Depth", QByteArray::number(depth)}}};
    m_client.Send(r, [this, url, next = std::move(next)](const DavReply& reply) {
        if (m_cancelled) return Fail({});
        if (reply.status != 207) {
            dav::MultiStatus none;
            none.error = Reason(reply, QStringLiteral("PROPFIND %1").arg(url.path()));
            m_needsPassword = reply.status == 401 && !m_client.HasPassword();
            if (reply.status == 401 || reply.status == 0) return Fail(none.error);
            return next(none);
        }
        next(dav::ParseMultiStatus(reply.body));
    });
}

// ---------------------------------------------------------------------------------------------
// Finding the address book

void AddressBookSync::Prepare(const PhoneBook& book) {
    m_book = book;
    QString error;
    auto state = m_store.Load(m_key, error);
    if (!state && error.isEmpty() && !m_settings.category.empty()) {
        // Kept under its category by an earlier version.
        const QString category = QString::fromStdString(m_settings.category);
        state = m_store.Load(SyncStore::KeyOf(m_settings.server.toString(), m_settings.user,
                                              m_settings.addressBook, category),
                             error);
        if (state) state->category = m_settings.category;
    }
    if (state) {
        m_state = std::move(*state);
    } else if (!error.isEmpty() && !m_settings.startOver) {
        return Fail(QStringLiteral("the sync's state is damaged (%1); start over to pair the book "
                                   "and the address book afresh")
                        .arg(error));
    }
    if (m_settings.startOver) {
        m_state.cards.clear();
        m_state.syncToken.clear();
        m_state.ctag.clear();
    } else if (m_state.PairedCount() > 0) {
        if (QString::fromStdString(m_state.category)
                .compare(QString::fromStdString(m_settings.category), Qt::CaseInsensitive) != 0) {
            const auto shown = [](const std::string& c) {
                return c.empty()
                           ? QStringLiteral("all contacts")
                           : QStringLiteral("the category \"%1\"").arg(QString::fromStdString(c));
            };
            m_needsStartOver = true;
            return Fail(QStringLiteral("the address book was last synced with %1, not %2: the "
                                       "pairs of that sync would be lost and cards duplicated")
                            .arg(shown(m_state.category), shown(m_settings.category)));
        }
        if (const auto stranger = StrangerBook(m_state, m_book, m_settings.region)) {
            m_needsStartOver = true;
            return Fail(QString::fromStdString(*stranger));
        }
    }
    m_state.category = m_settings.category;
    const QString problem = DavClient::UrlProblem(m_settings.server);
    if (!problem.isEmpty()) return Fail(problem);
    m_answers = LoadPairAnswers(m_store.AnswersFile(), &error);
    if (!error.isEmpty()) m_problems << error + QStringLiteral("; likely pairs are asked again");
    if (!m_state.url.empty()) {
        m_collection = QUrl(QString::fromStdString(m_state.url));
        m_collectionName = QString::fromStdString(m_state.name);
        if (m_collectionName.isEmpty()) m_collectionName = m_settings.addressBook;
        m_syncCollection = !m_state.syncToken.empty();
        return AskForChanges();
    }
    emit progress(QStringLiteral("Finding the address book"), 0, 0);
    const QString path = m_settings.server.path();
    if (path.isEmpty() || path == QLatin1String("/")) {
        QUrl wellKnown = m_settings.server;
        wellKnown.setPath(QStringLiteral("/.well-known/carddav"));
        return Discover(wellKnown, true);
    }
    Discover(m_settings.server, false);
}

void AddressBookSync::Discover(const QUrl& url, bool wellKnown) {
    Propfind(url, 0, dav::PropfindPrincipal(), [this, url, wellKnown](const dav::MultiStatus& ms) {
        if (!ms.error.isEmpty() || ms.responses.empty()) {
            if (wellKnown) return Discover(m_settings.server.resolved(QUrl("/")), false);
            return Fail(QStringLiteral("no address book found at %1: %2")
                            .arg(url.toString(QUrl::RemoveUserInfo),
                                 ms.error.isEmpty() ? QStringLiteral("empty answer") : ms.error));
        }
        const dav::Response& r = ms.responses.front();
        const dav::Prop* type = r.Find(kDav, "resourcetype");
        if (type != nullptr && type->Has(kCardDav, "addressbook")) {
            return ListCollections(url);  // its own URL: read its properties as a collection
        }
        if (const dav::Prop* home = r.Find(kCardDav, "addressbook-home-set");
            home != nullptr && !home->hrefs.isEmpty()) {
            return ListCollections(url.resolved(QUrl(home->hrefs.front())));
        }
        const dav::Prop* principal = r.Find(kDav, "current-user-principal");
        if (principal == nullptr || principal->hrefs.isEmpty()) {
            if (wellKnown) return Discover(m_settings.server.resolved(QUrl("/")), false);
            return Fail(
                QStringLiteral("%1 names no user principal: give the address book's own URL")
                    .arg(url.toString(QUrl::RemoveUserInfo)));
        }
        FindHomeSet(url.resolved(QUrl(principal->hrefs.front())));
    });
}

void AddressBookSync::FindHomeSet(const QUrl& principal) {
    Propfind(principal, 0, dav::PropfindHomeSet(), [this, principal](const dav::MultiStatus& ms) {
        const dav::Prop* home = ms.responses.empty()
                                    ? nullptr
                                    : ms.responses.front().Find(kCardDav, "addressbook-home-set");
        if (home == nullptr || home->hrefs.isEmpty()) {
            return Fail(
                QStringLiteral("the server has no address books for %1").arg(m_settings.user));
        }
        ListCollections(principal.resolved(QUrl(home->hrefs.front())));
    });
}

void AddressBookSync::ListCollections(const QUrl& home) {
    Propfind(home, 1, dav::PropfindCollections(), [this, home](const dav::MultiStatus& ms) {
        if (!ms.error.isEmpty()) return Fail(ms.error);
        struct Found {
            FoundAddressBook book;
            bool syncCollection;
        };
        std::vector<Found> books;
        for (const dav::Response& r : ms.responses) {
            const dav::Prop* type = r.Find(kDav, "resourcetype");
            if (type == nullptr || !type->Has(kCardDav, "addressbook")) continue;
            const QUrl url = home.resolved(QUrl::fromEncoded(r.href.toUtf8()));
            QString name = r.Text(kDav, "displayname");
            const QStringList parts = url.path().split('/', Qt::SkipEmptyParts);
            const QString last = parts.isEmpty() ? QString() : parts.back();
            if (name.isEmpty()) name = last;
            const dav::Prop* reports = r.Find(kDav, "supported-report-set");
            const bool sync = (reports != nullptr && reports->Has(kDav, "sync-collection")) ||
                              !r.Text(kDav, "sync-token").isEmpty();
            if (!m_settings.addressBook.isEmpty() && m_settings.addressBook != name &&
                m_settings.addressBook != last) {
                m_found.push_back({url, name});
                continue;
            }
            books.push_back({{url, name}, sync});
        }
        if (books.size() == 1) {
            return UseCollection(books.front().book.url, books.front().book.name,
                                 books.front().syncCollection);
        }
        for (const Found& f : books)
            m_found.push_back(f.book);
        if (m_found.empty()) return Fail(QStringLiteral("the server lists no address book"));
        QStringList names;
        for (const FoundAddressBook& b : m_found)
            names << QStringLiteral("\"%1\"").arg(b.name);
        Fail(m_settings.addressBook.isEmpty()
                 ? QStringLiteral("the server has %1 address books (%2): choose one")
                       .arg(m_found.size())
                       .arg(names.join(QStringLiteral(", ")))
                 : QStringLiteral("no address book \"%1\"; the server has %2")
                       .arg(m_settings.addressBook, names.join(QStringLiteral(", "))));
    });
}

void AddressBookSync::UseCollection(const QUrl& url, const QString& name, bool syncCollection) {
    m_collection = url;
    if (!m_collection.path().endsWith('/')) m_collection.setPath(m_collection.path() + '/');
    m_collectionName = name;
    m_syncCollection = syncCollection;
    m_state.url = m_collection.toString(QUrl::RemoveUserInfo).toStdString();
    m_state.name = name.toStdString();
    AskForChanges();
}

// ---------------------------------------------------------------------------------------------
// What changed

void AddressBookSync::AskForChanges() {
    emit progress(QStringLiteral("Asking the address book what changed"), 0, 0);
    if (m_syncCollection) {
        return SyncCollectionReport(QString::fromStdString(m_state.syncToken));
    }
    ListByEtags();
}

void AddressBookSync::SyncCollectionReport(const QString& token) {
    const DavRequest r = Report(dav::SyncCollection(token), "0");
    m_client.Send(r, [this, token](const DavReply& reply) {
        if (m_cancelled) return Fail({});
        m_needsPassword = reply.status == 401 && !m_client.HasPassword();
        if (reply.status == 401 || reply.status == 0) return Fail(Reason(reply, {}));
        if (reply.status != 207) {
            // A token the server no longer knows: once more from the start.
            if (!token.isEmpty() && !m_fullListingRetried &&
                (reply.status == 403 || reply.status == 409 || reply.status == 400)) {
                m_fullListingRetried = true;
                return SyncCollectionReport({});
            }
            m_syncCollection = false;
            return ListByEtags();
        }
        const dav::MultiStatus ms = dav::ParseMultiStatus(reply.body);
        if (!ms.error.isEmpty()) return Fail(ms.error);
        const QString self = m_collection.path(QUrl::FullyDecoded);
        std::map<std::string, std::string> cards;
        if (!token.isEmpty()) {
            for (const CardState& c : m_state.cards)
                cards[c.href] = c.etag;
        }
        for (const dav::Response& resp : ms.responses) {
            const QString path = PathOf(resp.href);
            if (path == self || path.endsWith('/')) continue;
            if (resp.status == 404) {
                cards.erase(path.toStdString());
            } else {
                cards[path.toStdString()] = resp.Text(kDav, "getetag").toStdString();
            }
        }
        m_listing.clear();
        for (const auto& [href, etag] : cards)
            m_listing.push_back({href, etag, std::nullopt});
        m_newToken = ms.syncToken;
        Fetch();
    });
}

void AddressBookSync::ListByEtags() {
    Propfind(m_collection, 0, dav::PropfindCollections(), [this](const dav::MultiStatus& ms) {
        if (!ms.error.isEmpty() || ms.responses.empty()) {
            return Fail(QStringLiteral("the address book at %1 cannot be read: %2")
                            .arg(m_collection.toString(QUrl::RemoveUserInfo), ms.error));
        }
        m_newCtag = ms.responses.front().Text(kCalendarServer, "getctag");
        if (!m_newCtag.isEmpty() && m_newCtag.toStdString() == m_state.ctag &&
            !m_state.cards.empty()) {
            m_listing.clear();
            for (const CardState& c : m_state.cards)
                m_listing.push_back({c.href, c.etag, std::nullopt});
            return Fetch();
        }
        Propfind(m_collection, 1, dav::PropfindCardEtags(), [this](const dav::MultiStatus& all) {
            if (!all.error.isEmpty()) return Fail(all.error);
            const QString self = m_collection.path(QUrl::FullyDecoded);
            m_listing.clear();
            for (const dav::Response& r : all.responses) {
                const QString path = PathOf(r.href);
                const dav::Prop* type = r.Find(kDav, "resourcetype");
                if (path == self || path.endsWith('/') ||
                    (type != nullptr && type->Has(kDav, "collection"))) {
                    continue;
                }
                m_listing.push_back(
                    {path.toStdString(), r.Text(kDav, "getetag").toStdString(), std::nullopt});
            }
            Fetch();
        });
    });
}

// ---------------------------------------------------------------------------------------------
// Fetching and planning

void AddressBookSync::Fetch() {
    m_toFetch.clear();
    for (const std::string& href :
         CardsToFetch(m_state, m_book, m_listing, m_options.category, m_options.region))
        m_toFetch.push_back(QString::fromStdString(href));
    FetchBatch(0);
}

void AddressBookSync::FetchBatch(std::size_t from) {
    if (from >= m_toFetch.size()) {
        // A card that was listed but not delivered is gone.
        std::erase_if(m_listing, [this](const ServerCard& c) {
            return !c.card && std::find(m_toFetch.begin(), m_toFetch.end(),
                                        QString::fromStdString(c.href)) != m_toFetch.end();
        });
        return MakeThePlan();
    }
    const std::size_t to = std::min(m_toFetch.size(), from + kMultigetBatch);
    emit progress(QStringLiteral("Fetching %1 cards").arg(m_toFetch.size()), static_cast<int>(from),
                  static_cast<int>(m_toFetch.size()));
    QStringList hrefs;
    for (std::size_t i = from; i < to; ++i)
        hrefs << UrlOf(m_toFetch[i]).path(QUrl::FullyEncoded);
    const DavRequest r = Report(dav::Multiget(hrefs), "1");
    m_client.Send(r, [this, to](const DavReply& reply) {
        if (m_cancelled) return Fail({});
        if (reply.status != 207) return Fail(Reason(reply, QStringLiteral("fetching cards")));
        const dav::MultiStatus ms = dav::ParseMultiStatus(reply.body);
        if (!ms.error.isEmpty()) return Fail(ms.error);
        for (const dav::Response& resp : ms.responses) {
            const std::string path = PathOf(resp.href).toStdString();
            const QString data = resp.Text(kCardDav, "address-data");
            auto it = std::find_if(m_listing.begin(), m_listing.end(),
                                   [&](const ServerCard& c) { return c.href == path; });
            if (it == m_listing.end() || data.isEmpty()) continue;
            it->etag = resp.Text(kDav, "getetag").toStdString();
            it->card = Card::Parse(data.toStdString());
            if (!it->card) {
                m_problems << QStringLiteral("%1: not a vCard; left as it is")
                                  .arg(QString::fromStdString(path));
                it->card = Card::Make("");
            }
        }
        FetchBatch(to);
    });
}

void AddressBookSync::MakeThePlan() {
    if (m_newCtag.isEmpty()) m_newCtag = QString::fromStdString(m_state.ctag);
    m_plan = MakePlan(m_state, m_book, m_listing, m_options);
    emit planned();
}

void AddressBookSync::Replan(std::vector<PairAnswer> answers) {
    m_options.answers = std::move(answers);
    m_plan = MakePlan(m_state, m_book, m_listing, m_options);
}

// ---------------------------------------------------------------------------------------------
// Applying

bool AddressBookSync::KeepAnswers() {
    if (m_plan.answered.empty()) return true;
    RememberAnswers(m_plan, m_options.region, m_answers);
    if (SavePairAnswers(m_store.AnswersFile(), m_answers)) return true;
    m_problems << QStringLiteral("%1: the answers about likely pairs could not be kept")
                      .arg(m_store.AnswersFile());
    return false;
}

void AddressBookSync::Apply(PhoneBook& book) {
    KeepAnswers();
    m_target = &book;
    m_done.assign(m_plan.contacts.size(), false);
    std::string before;
    for (const ContactPlan& c : m_plan.contacts) {
        if ((c.cardAction == CardAction::Change || c.cardAction == CardAction::Delete) && c.card) {
            before += c.card->Text();
        }
    }
    if (!before.empty()) {
        QString error;
        m_keptCards = m_store.KeepCards(
            m_collectionName.isEmpty() ? m_collection.path() : m_collectionName, before, error);
        if (m_keptCards.isEmpty()) {
            return Fail(error + QStringLiteral(": nothing was changed"));
        }
    }
    m_done.assign(m_plan.contacts.size(), true);
    ApplyNext(0, false);
}

void AddressBookSync::ApplyNext(std::size_t index, bool retried) {
    while (index < m_plan.contacts.size() &&
           (m_plan.contacts[index].cardAction == CardAction::None ||
            (m_plan.contacts[index].cardAction != CardAction::Delete &&
             m_plan.contacts[index].cardText.empty()))) {
        ++index;
    }
    if (m_cancelled) return FinishApply(true, QStringLiteral("cancelled"));
    if (index >= m_plan.contacts.size()) return FinishApply(false, {});
    ContactPlan& contact = m_plan.contacts[index];
    const int total = static_cast<int>(m_plan.contacts.size());
    emit progress(QStringLiteral("Writing to the address book"), static_cast<int>(index), total);
    DavRequest r;
    if (contact.cardAction == CardAction::Create) {
        QString name = QString::fromStdString(contact.uid);
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
        r = {"PUT",
             UrlOf(m_collection.path(QUrl::FullyDecoded) + name + QStringLiteral(".vcf")),
             QByteArray::fromStdString(contact.cardText),
             "text/vcard; charset=utf-8",
             {{"If-None-Match", "*"}}};
    } else if (contact.cardAction == CardAction::Change) {
        r = {"PUT",
             UrlOf(QString::fromStdString(contact.href)),
             QByteArray::fromStdString(contact.cardText),
             "text/vcard; charset=utf-8",
             {{"If-Match", QByteArray::fromStdString(contact.etag)}}};
    } else {
        r = {"DELETE",
             UrlOf(QString::fromStdString(contact.href)),
             {},
             {},
             {{"If-Match", QByteArray::fromStdString(contact.etag)}}};
    }
    m_client.Send(
        r, [this, index, retried, path = r.url.path(QUrl::FullyDecoded)](const DavReply& reply) {
            ContactPlan& c = m_plan.contacts[index];
            if (reply.cancelled || m_cancelled) {
                m_done[index] = false;
                return FinishApply(true, QStringLiteral("cancelled"));
            }
            if (reply.Ok() || (c.cardAction == CardAction::Delete && reply.status == 404)) {
                if (c.cardAction == CardAction::Create) c.href = path.toStdString();
                c.etag = reply.etag.toStdString();
                return ApplyNext(index + 1, false);
            }
            if (reply.status == 412 && !retried && c.cardAction == CardAction::Change) {
                return Refetch(index);  // another client changed the card: merge again, once
            }
            m_done[index] = false;
            const QString who = QString::fromStdString(c.label);
            if (reply.status == 412) {
                m_problems << QStringLiteral(
                                  "\"%1\": the card was changed by another client during "
                                  "the sync; it is left for the next sync")
                                  .arg(who);
                return ApplyNext(index + 1, false);
            }
            if (reply.status >= 400 && reply.status < 500 && reply.status != 401) {
                m_problems << QStringLiteral("\"%1\": the server refused the card (%2)")
                                  .arg(who)
                                  .arg(reply.status);
                return ApplyNext(index + 1, false);
            }
            // The network or the server failed: nothing more is sent.
            for (std::size_t i = index + 1; i < m_done.size(); ++i)
                m_done[i] = m_plan.contacts[i].cardAction == CardAction::None;
            FinishApply(true, Reason(reply, QStringLiteral("writing \"%1\"").arg(who)));
        });
}

void AddressBookSync::Refetch(std::size_t index) {
    const QString path = QString::fromStdString(m_plan.contacts[index].href);
    const DavRequest r = Report(dav::Multiget({UrlOf(path).path(QUrl::FullyEncoded)}), "1");
    m_client.Send(r, [this, index](const DavReply& reply) {
        ContactPlan& c = m_plan.contacts[index];
        const dav::MultiStatus ms =
            reply.status == 207 ? dav::ParseMultiStatus(reply.body) : dav::MultiStatus{};
        const dav::Response* got = ms.responses.empty() ? nullptr : &ms.responses.front();
        const auto card = got != nullptr
                              ? Card::Parse(got->Text(kCardDav, "address-data").toStdString())
                              : std::nullopt;
        if (m_cancelled || !card) {
            m_done[index] = false;
            if (!m_cancelled) {
                m_problems << QStringLiteral(
                                  "\"%1\": the card changed during the sync and could "
                                  "not be fetched again; left for the next sync")
                                  .arg(QString::fromStdString(c.label));
            }
            return m_cancelled ? FinishApply(true, QStringLiteral("cancelled"))
                               : ApplyNext(index + 1, false);
        }
        c.card = card;
        c.etag = got->Text(kDav, "getetag").toStdString();
        c.server = HandsetView(*card, m_options.category, m_options.region);
        if (!c.server) c.server = c.base;
        Resolve(c, m_options);
        if (c.cardAction == CardAction::None) return ApplyNext(index + 1, false);
        ApplyNext(index, true);
    });
}

void AddressBookSync::FinishApply(bool stoppedByError, const QString& why) {
    if (m_target != nullptr) {
        ApplyToBook(m_plan, *m_target);
        m_bookApplied = true;
    }
    AddressBookState next =
        NextState(m_state, m_plan, m_done, m_newToken.toStdString(), m_newCtag.toStdString());
    next.url = m_collection.toString(QUrl::RemoveUserInfo).toStdString();
    QString error;
    const bool saved = m_store.Save(m_key, next, error);
    if (saved) m_state = std::move(next);
    if (stoppedByError) return Fail(why);
    if (!saved) return Fail(error);
    emit applied();
}

}  // namespace numora

// One sync of the handset's book with a CardDAV address book, step by step on the event loop:
// find the address book (RFC 6764 discovery, or its own URL), ask what changed (sync-collection,
// else the collection's getctag and ETags), fetch the cards needed in one addressbook-multiget,
// and plan. The caller shows the plan and the user decides; Apply then keeps the cards it will
// change, writes and deletes them (If-Match / If-None-Match), updates the book and saves the
// state. Cancel stops it at once; what was done is kept consistent. The answers about likely
// pairs are remembered with those of Merge Contacts.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>
#include <vector>

#include "addressbook/SyncPlan.h"
#include "book/PhoneBook.h"
#include "carddav/DavClient.h"
#include "carddav/DavXml.h"
#include "carddav/SyncStore.h"

namespace numora {

struct SyncSettings {
    QUrl server;  // a server's address, or the address book's own URL
    QString user;
    QString addressBook;  // its name or the last part of its path; empty for the only one
    std::string category;
    std::string region;  // the home region numbers are dialled from; empty for the locale's
    bool preferBook = false;
    // Forget the pairs of earlier syncs and pair the book and the address book afresh, as a
    // first sync does (another book, another category).
    bool startOver = false;
    std::vector<PairAnswer> answers;
};

struct FoundAddressBook {
    QUrl url;
    QString name;
};

class AddressBookSync : public QObject {
    Q_OBJECT
public:
    static constexpr int kMultigetBatch = 250;

    AddressBookSync(SyncSettings settings, DavClient& client, const SyncStore& store,
                    QObject* parent = nullptr);

    // Finds the address book, asks for changes, fetches and plans against a copy of the book:
    // then planned() or failed().
    void Prepare(const PhoneBook& book);
    // Applies the plan (with the user's choices) to the server and to the book, and saves the
    // state: then applied() or failed(). The book is the one the plan was made for.
    void Apply(PhoneBook& book);
    void Cancel();
    // Plans again with these answers about likely pairs, from what was fetched: no request.
    void Replan(std::vector<PairAnswer> answers);
    // Remembers the answers the plan used, so that no pair is asked about again; false (with a
    // problem listed) when they could not be kept. Apply does it first.
    bool KeepAnswers();

    [[nodiscard]] SyncPlan& Plan() { return m_plan; }
    [[nodiscard]] const SyncPlan& Plan() const { return m_plan; }
    [[nodiscard]] const PlanOptions& Options() const { return m_options; }
    [[nodiscard]] const AddressBookState& State() const { return m_state; }
    // Why the plan deletes too much to go ahead unasked; nothing when it may.
    [[nodiscard]] std::optional<std::string> DeletionStop() const;
    // The address books found when the choice was not clear.
    [[nodiscard]] const std::vector<FoundAddressBook>& AddressBooks() const { return m_found; }
    // What went wrong card by card while applying (a card changed by another client twice).
    [[nodiscard]] const QStringList& Problems() const { return m_problems; }
    [[nodiscard]] QString KeptCardsFile() const { return m_keptCards; }
    [[nodiscard]] bool Cancelled() const { return m_cancelled; }
    // Prepare stopped before any change because the pairs of the last sync do not hold for this
    // book or this category: only a start over goes on.
    [[nodiscard]] bool NeedsStartOver() const { return m_needsStartOver; }
    // Prepare stopped because the server asks for a password and none was given.
    [[nodiscard]] bool NeedsPassword() const { return m_needsPassword; }
    // Whether contacts[i]'s card action was done (or it had none), once Apply ended.
    [[nodiscard]] const std::vector<bool>& Done() const { return m_done; }
    // Whether Apply got as far as the book (the plan's handset changes are in it).
    [[nodiscard]] bool BookApplied() const { return m_bookApplied; }

signals:
    void progress(const QString& what, int done, int total);
    void planned();
    void applied();
    void failed(const QString& why);

private:
    void Fail(const QString& why);
    void Propfind(const QUrl& url, int depth, const QByteArray& body,
                  std::function<void(const dav::MultiStatus&)> next);
    void Discover(const QUrl& url, bool wellKnownTried);
    void FindHomeSet(const QUrl& principal);
    void ListCollections(const QUrl& home);
    void UseCollection(const QUrl& url, const QString& name, bool syncCollection);
    void AskForChanges();
    void SyncCollectionReport(const QString& token);
    void ListByEtags();
    void Fetch();
    void FetchBatch(std::size_t from);
    void MakeThePlan();
    void ApplyNext(std::size_t index, bool retried);
    void FinishApply(bool stoppedByError, const QString& why);
    void Refetch(std::size_t index);

    // A card's path from an href of a reply, and a URL from a path.
    QString PathOf(const QString& href) const;
    QUrl UrlOf(const QString& path) const;
    // A REPORT on the address book.
    DavRequest Report(const QByteArray& body, const char* depth) const;

    SyncSettings m_settings;
    DavClient& m_client;
    const SyncStore& m_store;
    QString m_key;
    PlanOptions m_options;
    PairAnswers m_answers;  // remembered from earlier runs and Merge Contacts
    AddressBookState m_state;
    PhoneBook m_book;
    QUrl m_collection;
    QString m_collectionName;
    bool m_syncCollection = false;
    QString m_newToken;
    QString m_newCtag;
    std::vector<ServerCard> m_listing;
    std::vector<QString> m_toFetch;
    SyncPlan m_plan;
    std::vector<FoundAddressBook> m_found;
    PhoneBook* m_target = nullptr;
    std::vector<bool> m_done;
    QStringList m_problems;
    QString m_keptCards;
    bool m_cancelled = false;
    bool m_fullListingRetried = false;
    bool m_needsStartOver = false;
    bool m_needsPassword = false;
    bool m_bookApplied = false;
};

}  // namespace numora

// The plan of one sync: per contact, what changes on the handset and on the server, the
// conflicts and who wins them, and the deletions, worked out from the state of the last sync,
// the handset's book and the server's cards. Nothing here changes anything; the caller shows
// the plan, lets the user decide, and applies it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "addressbook/Card.h"
#include "addressbook/Fields.h"
#include "addressbook/SyncState.h"
#include "book/PhoneBook.h"
#include "matching/PairAnswers.h"
#include "matching/Person.h"

namespace numora {

// A card as the server lists it now. The text is there when the card was fetched; a card
// whose ETag is the one the state holds need not be.
struct ServerCard {
    std::string href;
    std::string etag;
    std::optional<Card> card;
};

// The user's answer, given in this run, about a likely pair of entry and card: the same person
// or not.
struct PairAnswer {
    int slot = 0;
    std::string href;
    bool same = false;
};

struct PlanOptions {
    std::string category;                     // only the cards of this category; empty for all
    std::string region;                       // the home region numbers are dialled from
    bool preferBook = false;                  // conflicts: the handset's value wins
    std::vector<PairAnswer> answers;          // given in this run
    const PairAnswers* remembered = nullptr;  // given before, here or merging contacts
    std::function<std::string()> newUid;      // a fresh UID for each new card
};

enum class BookAction { None, Add, Change, Empty };
enum class CardAction { None, Create, Change, Delete };

struct FieldChange {
    Field field;
    std::string from;
    std::string to;
};

struct SyncConflict {
    Field field;
    std::string book;
    std::string server;
    bool bookWins = false;
};

struct ContactPlan {
    std::string label;        // who it is, for lists
    std::string cardName;     // the card's own name (FN), when fetched: a cut label may be many
    std::optional<int> slot;  // on the handset (a new entry's slot once it has one)
    std::string href;         // on the server; empty for a card still to be created
    std::string uid;
    std::string etag;
    std::optional<Fields> base;    // none: never synced (merged as Merge Contacts merges)
    std::optional<Fields> book;    // the handset's entry now; none when not on the handset
    std::optional<Fields> server;  // the card as the handset would hold it; none when gone
    std::optional<Card> card;      // the card as fetched, to be edited in place
    std::vector<SyncConflict> conflicts;
    std::string note;            // why a deletion did not happen, or what else is worth a word
    bool offHandset = false;     // a card that is not on the handset (does not fit or qualify)
    bool joinsCategory = false;  // a card outside the sync's category, paired: it joins it

    // Worked out by Resolve from the above and the conflicts' choices:
    Fields merged;  // the handset's fields after the sync
    Fields synced;  // the same in the card's writing where both sides hold one value: the base
    BookAction bookAction = BookAction::None;
    CardAction cardAction = CardAction::None;
    std::vector<FieldChange> bookChanges;
    std::vector<FieldChange> cardChanges;
    std::string cardText;  // the card to send for Create and Change
};

// A likely pair of an entry and a card that no sync has paired, left out until the user
// answers.
struct SyncLikelyPair {
    int slot = 0;
    std::string href;
    std::string bookName;
    std::string serverName;
    std::string why;
};

// A likely pair answered in this run, to be remembered by the people it is about.
struct AnsweredPair {
    int slot = 0;
    std::string href;
    Person book;
    Person server;
    bool same = false;
};

struct SyncPlan {
    std::vector<ContactPlan> contacts;
    std::vector<SyncLikelyPair> likely;
    std::vector<AnsweredPair> answered;
    std::vector<std::string> notOnHandset;  // names of the cards that do not fit on the handset
    std::string category;                   // the one the sync is limited to
    int bookEntries = 0;                    // entries on the handset before the sync
    int serverCards = 0;                    // cards in the address book before the sync

    [[nodiscard]] int BookDeletions() const;
    [[nodiscard]] int ServerDeletions() const;
    [[nodiscard]] bool Changes() const;
};

// The cards whose text the plan needs: new or changed on the server, and those whose entry
// changed or went on the handset (to edit them in place, and to keep them before).
std::vector<std::string> CardsToFetch(const AddressBookState& state, const PhoneBook& book,
                                      const std::vector<ServerCard>& listing,
                                      std::string_view category = {},
                                      const std::string& region = {});

// Entries and cards that no sync has paired are paired as contacts are merged: sure pairs (and
// likely ones answered "same person") are merged field by field, likely pairs wait for an
// answer, and each entry and card is in one pair at most.
SyncPlan MakePlan(const AddressBookState& state, const PhoneBook& book,
                  const std::vector<ServerCard>& server, const PlanOptions& options);

// The answers given in this run, added to the remembered ones, so that no pair is asked twice.
void RememberAnswers(const SyncPlan& plan, const std::string& region, PairAnswers& answers);

// Works out the merged fields, the changes on each side and the card to send from the
// contact's three versions and its conflicts' choices. Called again after a choice changes. A
// value written two ways (a number in another form, a name in another word order, an e-mail
// in other letter case) is one value: each side keeps its own writing of it. Without a base,
// the numbers are placed as a merge of contacts places them: one both sides hold stays at the
// card's kind; of two under one kind the preferred side's stays and the other takes the first
// free kind, and is a conflict only when none is free.
void Resolve(ContactPlan& contact, const PlanOptions& options);

// Deletions that do not run away: more than 5 contacts, more than a tenth of either side, or
// a side found empty while the state says it held contacts, stop the sync before it changes
// anything. Nothing when the plan may go ahead; else why not.
std::optional<std::string> DeletionStop(const SyncPlan& plan, const AddressBookState& state);

// Whether the book is the one the state was paired with: most entries at the paired slots must
// still be their people (a name, a number or the e-mail of the base). Another phone book, or
// this one sorted anew, would otherwise overwrite the server's cards with strangers. Nothing
// when it is; else why not.
std::optional<std::string> StrangerBook(const AddressBookState& state, const PhoneBook& book,
                                        const std::string& region);

// The handset's book after the plan: entries changed, added and emptied.
void ApplyToBook(const SyncPlan& plan, PhoneBook& book);

// The state after the sync, from the contacts whose server side was done. `done[i]` tells
// whether contacts[i]'s card action succeeded (or had none); its href and etag are then the
// card's new ones.
AddressBookState NextState(const AddressBookState& state, const SyncPlan& plan,
                           const std::vector<bool>& done, std::string syncToken, std::string ctag);

}  // namespace numora

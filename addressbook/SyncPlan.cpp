#include "addressbook/SyncPlan.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "addressbook/CardEdit.h"
#include "addressbook/Pairing.h"

namespace numora {

namespace {

constexpr int kMaxQuietDeletions = 5;

bool IsEmpty(const Fields& f) {
    return std::all_of(f.values.begin(), f.values.end(),
                       [](const std::string& v) { return v.empty(); });
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string LabelOf(const Fields& f) {
    if (!f[Field::Name].empty()) return f[Field::Name];
    for (int k = 0; k < kNumberKinds; ++k) {
        if (!f[NumberField(k)].empty()) return f[NumberField(k)];
    }
    return !f[Field::Email].empty() ? f[Field::Email] : f[Field::Wireless];
}

std::vector<FieldChange> Differences(const Fields& from, const Fields& to) {
    std::vector<FieldChange> out;
    for (const Field f : kAllFields) {
        if (from[f] != to[f]) out.push_back({f, from[f], to[f]});
    }
    return out;
}

// A number both sides hold under different kinds is not a change of either: on a first merge
// the entry's number is compared under the card's kind, so it is neither added twice nor lost.
void AlignNumbers(Fields& book, const Fields& server) {
    for (int a = 0; a < kNumberKinds; ++a) {
        const std::string& number = server[NumberField(a)];
        if (number.empty() || book[NumberField(a)] == number || !book[NumberField(a)].empty()) {
            continue;
        }
        for (int b = 0; b < kNumberKinds; ++b) {
            if (b != a && book[NumberField(b)] == number && server[NumberField(b)] != number) {
                book[NumberField(a)] = number;
                book[NumberField(b)].clear();
                break;
            }
        }
    }
}

// A first merge never drops a number: one that loses its kind to the other side's takes a
// kind that is free on both, and is then no conflict.
void KeepBothNumbers(ContactPlan& c) {
    const auto held = [&c](const std::string& number) {
        for (int k = 0; k < kNumberKinds; ++k) {
            if (c.merged[NumberField(k)] == number) return true;
        }
        return false;
    };
    std::erase_if(c.conflicts, [&](const SyncConflict& conflict) {
        const int kind = static_cast<int>(conflict.field) - static_cast<int>(Field::Mobile);
        if (kind < 0 || kind >= kNumberKinds) return false;
        const std::string& loser = conflict.bookWins ? conflict.server : conflict.book;
        if (loser.empty() || held(loser)) return false;
        for (int k = 0; k < kNumberKinds; ++k) {
            if (c.merged[NumberField(k)].empty()) {
                c.merged[NumberField(k)] = loser;
                return true;
            }
        }
        return false;
    });
}

// What a server card is as the handset would hold it, and whether it was seen before.
struct CardView {
    const ServerCard* card = nullptr;
    const CardState* known = nullptr;
    std::optional<Fields> view;  // none: the handset would not take it
};

}  // namespace

int SyncPlan::BookDeletions() const {
    return static_cast<int>(std::count_if(contacts.begin(), contacts.end(), [](const auto& c) {
        return c.bookAction == BookAction::Empty;
    }));
}

int SyncPlan::ServerDeletions() const {
    return static_cast<int>(std::count_if(contacts.begin(), contacts.end(), [](const auto& c) {
        return c.cardAction == CardAction::Delete;
    }));
}

bool SyncPlan::Changes() const {
    return std::any_of(contacts.begin(), contacts.end(), [](const ContactPlan& c) {
        return c.bookAction != BookAction::None || c.cardAction != CardAction::None;
    });
}

std::vector<std::string> CardsToFetch(const AddressBookState& state, const CPBData& book,
                                      const std::vector<ServerCard>& listing) {
    std::set<int> pairedSlots;
    for (const CardState& c : state.cards) {
        if (c.slot) pairedSlots.insert(*c.slot);
    }
    bool newEntries = false;
    for (int slot = 0; slot < kEntrySlots && !newEntries; ++slot) {
        newEntries = pairedSlots.count(slot) == 0 && FieldsOfEntry(book, slot).has_value();
    }
    std::vector<std::string> out;
    for (const ServerCard& sc : listing) {
        const CardState* known = state.Card(sc.href);
        bool fetch = known == nullptr || known->etag != sc.etag || known->etag.empty();
        if (!fetch && known->slot) {
            const auto now = FieldsOfEntry(book, *known->slot);
            fetch = !now || *now != known->base;
        }
        // A new entry may be the person of a card that is not on the handset: merging them
        // edits the card.
        if (!fetch && !known->slot && newEntries) fetch = !IsEmpty(known->base);
        if (fetch) out.push_back(sc.href);
    }
    return out;
}

void Resolve(ContactPlan& c, const PlanOptions& options) {
    c.bookChanges.clear();
    c.cardChanges.clear();
    c.cardText.clear();
    if (c.book && c.server) {
        Fields h = *c.book;
        const Fields& s = *c.server;
        if (!c.base) AlignNumbers(h, s);
        const Fields b = c.base.value_or(Fields{});
        std::vector<SyncConflict> before = std::move(c.conflicts);
        c.conflicts.clear();
        for (const Field f : kAllFields) {
            std::string& m = c.merged[f];
            if (h[f] == s[f] || (c.base && s[f] == b[f]) || (!c.base && s[f].empty())) {
                m = h[f];
            } else if (h[f] == b[f]) {
                m = s[f];
            } else {
                SyncConflict conflict{f, h[f], s[f], options.preferBook};
                for (const SyncConflict& old : before) {
                    if (old.field == f) conflict.bookWins = old.bookWins;
                }
                m = conflict.bookWins ? h[f] : s[f];
                c.conflicts.push_back(conflict);
            }
        }
        if (!c.base) KeepBothNumbers(c);
        if (c.merged != s) {
            if (c.card) {
                Card edited = *c.card;
                EditCard(edited, s, c.merged, options.category);
                c.cardText = edited.Text();
                // Another value of the card may take the place of one that went (a second
                // mobile number when the first is deleted): the handset gets what the card
                // now shows.
                if (const auto shown = HandsetView(edited, options.category, options.region))
                    c.merged = *shown;
                c.cardAction = CardAction::Change;
            } else {
                c.note = "the card could not be fetched: its changes wait for the next sync";
                c.cardAction = CardAction::None;
            }
        } else {
            c.cardAction = CardAction::None;
        }
        c.bookAction = c.merged != *c.book ? BookAction::Change : BookAction::None;
        if (c.bookAction == BookAction::Change) c.bookChanges = Differences(*c.book, c.merged);
        if (c.cardAction == CardAction::Change) c.cardChanges = Differences(s, c.merged);
    } else if (c.book) {
        c.merged = *c.book;
        if (c.bookAction == BookAction::Empty) c.bookChanges = Differences(*c.book, Fields{});
        if (c.cardAction == CardAction::Create) {
            c.cardText = NewCard(c.uid, c.merged, options.category).Text();
            c.cardChanges = Differences(Fields{}, c.merged);
        }
    } else if (c.server) {
        c.merged = *c.server;
        if (c.bookAction == BookAction::Add) c.bookChanges = Differences(Fields{}, c.merged);
        if (c.cardAction == CardAction::Delete) c.cardChanges = Differences(*c.server, Fields{});
    }
    c.label = LabelOf(c.merged);
    if (c.label.empty() && c.book) c.label = LabelOf(*c.book);
    if (c.label.empty() && c.server) c.label = LabelOf(*c.server);
}

SyncPlan MakePlan(const AddressBookState& state, const CPBData& book,
                  const std::vector<ServerCard>& server, const PlanOptions& options) {
    SyncPlan plan;
    std::map<int, Fields> entries;
    for (int slot = 0; slot < kEntrySlots; ++slot) {
        if (auto f = FieldsOfEntry(book, slot)) entries.emplace(slot, std::move(*f));
    }
    plan.bookEntries = static_cast<int>(entries.size());
    plan.serverCards = static_cast<int>(server.size());

    std::map<std::string, CardView> views;
    for (const ServerCard& sc : server) {
        CardView v{&sc, state.Card(sc.href), std::nullopt};
        if (sc.card) {
            v.view = HandsetView(*sc.card, options.category, options.region);
        } else if (v.known != nullptr && v.known->etag == sc.etag &&
                   (v.known->slot || !IsEmpty(v.known->base))) {
            v.view = v.known->base;
        }
        views.emplace(sc.href, v);
    }
    const auto newUid = [&options] { return options.newUid ? options.newUid() : std::string(); };

    std::set<int> usedSlots;
    std::set<std::string> usedCards;
    // Contacts paired by an earlier sync.
    for (const CardState& known : state.cards) {
        if (!known.slot) continue;
        const auto entry = entries.find(*known.slot);
        const auto view = views.find(known.href);
        const bool cardExists = view != views.end();
        ContactPlan c;
        c.slot = known.slot;
        c.href = known.href;
        c.uid = known.uid;
        c.base = known.base;
        if (entry != entries.end()) c.book = entry->second;
        if (cardExists) {
            c.etag = view->second.card->etag;
            c.server = view->second.view;
            c.card = view->second.card->card;
            usedCards.insert(known.href);
        }
        if (!c.book && !c.server) {
            if (!cardExists) continue;  // gone on both sides
            c.offHandset = true;        // gone from the handset, and no longer one of its cards
            c.slot.reset();
        } else if (!c.book) {
            if (*c.server == known.base) {
                c.cardAction = CardAction::Delete;
            } else {
                c.bookAction = BookAction::Add;
                c.note = "deleted on the handset but changed on the server: put back";
            }
        } else if (!c.server) {
            if (*c.book == known.base) {
                c.bookAction = BookAction::Empty;
                if (cardExists) {
                    c.note = "no longer one of the handset's cards";
                } else {
                    c.href.clear();  // deleted on the server
                }
            } else if (cardExists) {
                // The card left the category (or lost its numbers) while the entry changed:
                // the entry's changes go to the card it came from.
                c.server = known.base;
            } else {
                c.href.clear();
                c.uid = newUid();
                c.base.reset();
                c.cardAction = CardAction::Create;
                c.note = "deleted on the server but changed on the handset: created again";
            }
        }
        usedSlots.insert(*known.slot);
        plan.contacts.push_back(std::move(c));
    }

    // Entries and cards that no sync has paired yet: the same person on both sides is merged.
    std::vector<PairCandidate> newEntries;
    for (const auto& [slot, fields] : entries) {
        if (usedSlots.count(slot) == 0) newEntries.push_back({slot, fields});
    }
    std::vector<const CardView*> newCards;
    std::vector<PairCandidate> cardCandidates;
    for (const auto& [href, v] : views) {
        if (usedCards.count(href) != 0) continue;
        if (!v.view) {
            ContactPlan c;  // kept in the state, so that it is not fetched again
            c.href = href;
            c.etag = v.card->etag;
            c.offHandset = true;
            if (v.card->card) c.uid = v.card->card->Uid();
            if (v.known != nullptr) c.uid = v.known->uid;
            plan.contacts.push_back(std::move(c));
            continue;
        }
        cardCandidates.push_back({static_cast<int>(newCards.size()), *v.view});
        newCards.push_back(&v);
    }
    std::set<int> pairedEntries;
    std::set<int> pairedCards;
    std::set<int> heldCards;
    for (const FoundPair& pair : FindPairs(newEntries, cardCandidates)) {
        const CardView& v = *newCards[static_cast<std::size_t>(pair.card)];
        bool same = pair.kind == PairKind::Sure;
        bool answered = same;
        for (const PairAnswer& a : options.answers) {
            if (a.slot == pair.entry && a.href == v.card->href) {
                same = a.same;
                answered = true;
            }
        }
        if (!answered) {
            plan.likely.push_back({pair.entry, v.card->href, entries[pair.entry][Field::Name],
                                   (*v.view)[Field::Name], pair.why});
            pairedEntries.insert(pair.entry);
            heldCards.insert(pair.card);
            continue;
        }
        if (!same) continue;
        ContactPlan c;
        c.slot = pair.entry;
        c.href = v.card->href;
        c.etag = v.card->etag;
        c.uid = v.known != nullptr ? v.known->uid : (v.card->card ? v.card->card->Uid() : "");
        c.book = entries[pair.entry];
        c.server = v.view;
        c.card = v.card->card;
        pairedEntries.insert(pair.entry);
        pairedCards.insert(pair.card);
        plan.contacts.push_back(std::move(c));
    }
    for (const PairCandidate& e : newEntries) {
        if (pairedEntries.count(e.id) != 0) continue;
        ContactPlan c;
        c.slot = e.id;
        c.book = e.fields;
        c.uid = newUid();
        c.cardAction = CardAction::Create;
        plan.contacts.push_back(std::move(c));
    }

    // The other cards fill the free slots in name order; what does not fit stays off the handset.
    std::vector<int> order;
    for (const PairCandidate& c : cardCandidates) {
        if (pairedCards.count(c.id) == 0) order.push_back(c.id);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return Lower(LabelOf(cardCandidates[static_cast<std::size_t>(a)].fields)) <
               Lower(LabelOf(cardCandidates[static_cast<std::size_t>(b)].fields));
    });
    int nextFree = 0;
    const auto freeSlot = [&]() -> std::optional<int> {
        while (nextFree < kEntrySlots &&
               (entries.count(nextFree) != 0 || usedSlots.count(nextFree) != 0)) {
            ++nextFree;
        }
        if (nextFree >= kEntrySlots) return std::nullopt;
        return nextFree++;
    };
    for (const int id : order) {
        const CardView& v = *newCards[static_cast<std::size_t>(id)];
        ContactPlan c;
        c.href = v.card->href;
        c.etag = v.card->etag;
        c.uid = v.known != nullptr ? v.known->uid : (v.card->card ? v.card->card->Uid() : "");
        c.server = v.view;
        const auto slot = heldCards.count(id) != 0 ? std::nullopt : freeSlot();
        if (slot) {
            c.slot = slot;
            c.bookAction = BookAction::Add;
        } else {
            c.offHandset = true;
            if (heldCards.count(id) == 0) plan.notOnHandset.push_back(LabelOf(*v.view));
        }
        plan.contacts.push_back(std::move(c));
    }
    for (ContactPlan& c : plan.contacts)
        Resolve(c, options);
    return plan;
}

std::optional<std::string> DeletionStop(const SyncPlan& plan, const AddressBookState& state) {
    const int onBook = plan.BookDeletions();
    const int onServer = plan.ServerDeletions();
    if (state.PairedCount() > 0 && plan.bookEntries == 0) {
        return "the handset's book is empty, though the last sync left " +
               std::to_string(state.PairedCount()) + " entries on it";
    }
    if (!state.cards.empty() && plan.serverCards == 0) {
        return "the address book is empty, though the last sync found " +
               std::to_string(state.cards.size()) + " cards in it";
    }
    const bool many = onBook + onServer > kMaxQuietDeletions || onBook * 10 > plan.bookEntries ||
                      onServer * 10 > plan.serverCards;
    if (!many || onBook + onServer == 0) return std::nullopt;
    return "the sync would delete " + std::to_string(onServer) +
           " card(s) on the server and empty " + std::to_string(onBook) +
           " entry(ies) on the handset";
}

void ApplyToBook(const SyncPlan& plan, CPBData& book) {
    for (const ContactPlan& c : plan.contacts) {
        if (!c.slot) continue;
        switch (c.bookAction) {
            case BookAction::None:
                break;
            case BookAction::Add:
            case BookAction::Change:
                PutFields(c.merged, *c.slot, book);
                break;
            case BookAction::Empty:
                for (int kind = kMobile; kind <= kFax; ++kind) {
                    const int dial = book.FindSpeedDial(static_cast<uint16_t>(*c.slot),
                                                        static_cast<uint8_t>(kind));
                    if (dial >= 0) book.ClearSpeedDial(dial + kFirstSpeedDial);
                }
                book.DeleteEntry(*c.slot);
                break;
        }
    }
}

AddressBookState NextState(const AddressBookState& state, const SyncPlan& plan,
                           const std::vector<bool>& done, std::string syncToken, std::string ctag) {
    AddressBookState next;
    next.url = state.url;
    next.syncToken = std::move(syncToken);
    next.ctag = std::move(ctag);
    for (std::size_t i = 0; i < plan.contacts.size(); ++i) {
        const ContactPlan& c = plan.contacts[i];
        if (i >= done.size() || !done[i]) {
            // The server was not changed: what the last sync agreed stays the base, and the
            // next sync compares with it again.
            if (const CardState* old = state.Card(c.href)) {
                next.cards.push_back(*old);
            } else if (!c.href.empty() && c.server && c.slot) {
                // A first pairing: the card as it is now is what both sides start from.
                next.cards.push_back({c.href, c.uid, c.etag, c.slot, *c.server});
            }
            continue;
        }
        if (c.cardAction == CardAction::Delete || c.href.empty()) continue;
        CardState s{c.href, c.uid, c.etag, std::nullopt, {}};
        if (c.offHandset || c.bookAction == BookAction::Empty) {
            if (c.server && c.bookAction != BookAction::Empty) s.base = *c.server;
        } else {
            s.slot = c.slot;
            s.base = c.merged;
        }
        next.cards.push_back(std::move(s));
    }
    return next;
}

}  // namespace numora

#include "addressbook/SyncPlan.h"

#include <algorithm>
#include <map>
#include <set>
#include <span>
#include <utility>

#include "addressbook/CardEdit.h"
#include "matching/Match.h"
#include "matching/MergePlan.h"
#include "numbers/PhoneNumbers.h"
#include "text/Ascii.h"
#include "text/Folding.h"
#include "text/TextCodec.h"

namespace numora {

namespace {

constexpr int kMaxQuietDeletions = 5;

bool IsEmpty(const Fields& f) {
    return std::all_of(f.values.begin(), f.values.end(),
                       [](const std::string& v) { return v.empty(); });
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

bool IsNumber(Field f) {
    return f >= NumberField(NumberKind::Mobile) && f <= NumberField(NumberKind::Fax);
}

// One value written two ways: a number in another form under the home region, a name in another
// word order or letter case, an e-mail in other letter case.
bool Agree(Field f, const std::string& a, const std::string& b, const PhoneNumbers& numbers) {
    if (a == b) return true;
    if (a.empty() || b.empty()) return false;
    if (IsNumber(f)) return numbers.Same(a, b);
    if (f == Field::Name) return FoldNameUtf8(a) == FoldNameUtf8(b);
    if (f == Field::Email) return FoldEmail(a) == FoldEmail(b);
    return false;
}

// A name the handset holds as the card's full name cut at its 16 characters: the same name.
bool CutFromFullName(const std::string& handsetName, const std::string& fullName) {
    const std::string cut = Utf8ToLatin1(handsetName);
    const std::string full = Utf8ToLatin1(fullName);
    return static_cast<int>(cut.size()) == kNameLen && full.size() > cut.size() &&
           FoldLetters(full).starts_with(FoldLetters(cut));
}

// The user's choice for a field's conflict, kept when the contact is worked out again.
bool BookWins(const std::vector<SyncConflict>& before, Field f, bool preferBook) {
    for (const SyncConflict& c : before) {
        if (c.field == f) return c.bookWins;
    }
    return preferBook;
}

// The numbers of a first merge, as Resolve describes it.
void MergeNumbers(ContactPlan& c, const std::vector<SyncConflict>& before,
                  const PlanOptions& options, const PhoneNumbers& numbers) {
    const Fields& h = *c.book;
    const Fields& s = *c.server;
    std::array<bool, kNumberKinds> bookUsed{};
    std::array<bool, kNumberKinds> serverUsed{};
    const auto at = [](int k) { return static_cast<std::size_t>(k); };
    for (int k = 0; k < kNumberKinds; ++k)
        c.merged[NumberField(k)].clear();
    // A number both sides hold is one number, at the card's kind; its own kind is looked at first.
    for (int a = 0; a < kNumberKinds; ++a) {
        const std::string& number = s[NumberField(a)];
        for (int step = 0; step < kNumberKinds && !number.empty(); ++step) {
            const int j = (a + step) % kNumberKinds;
            if (bookUsed[at(j)] || !Agree(Field::Mobile, h[NumberField(j)], number, numbers)) {
                continue;
            }
            c.merged[NumberField(a)] = h[NumberField(j)];
            bookUsed[at(j)] = serverUsed[at(a)] = true;
            break;
        }
    }
    struct Moving {
        std::string number;
        int kind;
        std::optional<SyncConflict> conflict;  // the one it lost, if it lost one
    };
    std::vector<Moving> moving;
    for (int k = 0; k < kNumberKinds; ++k) {
        const Field f = NumberField(k);
        const std::string mine = bookUsed[at(k)] ? std::string() : h[f];
        const std::string theirs = serverUsed[at(k)] ? std::string() : s[f];
        if (!mine.empty() && !theirs.empty()) {
            const SyncConflict conflict{f, mine, theirs, BookWins(before, f, options.preferBook)};
            c.merged[f] = conflict.bookWins ? mine : theirs;
            moving.push_back({conflict.bookWins ? theirs : mine, k, conflict});
        } else if (!theirs.empty()) {
            c.merged[f] = theirs;
        } else if (!mine.empty()) {
            if (c.merged[f].empty()) {
                c.merged[f] = mine;
            } else {
                moving.push_back({mine, k, std::nullopt});
            }
        }
    }
    // A number that lost its kind takes the first free one, and nothing of it is lost. With no
    // kind free, the conflict it lost stands; one that lost none becomes one, listed last.
    std::vector<SyncConflict> unplaced;
    for (const Moving& m : moving) {
        std::optional<NumberKind> free;
        for (const NumberKind k : kFreeKindOrder) {
            if (!free && c.merged[NumberField(k)].empty()) free = k;
        }
        if (free) {
            c.merged[NumberField(*free)] = m.number;
        } else if (m.conflict) {
            c.conflicts.push_back(*m.conflict);
        } else {
            unplaced.push_back({NumberField(m.kind), m.number, c.merged[NumberField(m.kind)]});
        }
    }
    c.conflicts.insert(c.conflicts.end(), unplaced.begin(), unplaced.end());
}

Person PersonOfFields(const Fields& f) {
    std::array<std::string, kNumberKinds> numbers;
    for (int k = 0; k < kNumberKinds; ++k)
        numbers[static_cast<std::size_t>(k)] = f[NumberField(k)];
    return PersonOf(f[Field::Name], numbers, std::span(&f[Field::Email], 1));
}

// What a server card is as the handset would hold it, and whether it was seen before.
struct CardView {
    const ServerCard* card = nullptr;
    const CardState* known = nullptr;
    std::optional<Fields> view;  // none: the handset would not take it
    // A card not of the sync's category, as the handset would hold it: an entry of its person
    // pairs with it rather than making a second card.
    std::optional<Fields> outside;
};

// A card no sync has paired yet, as the matching core sees it.
struct UnpairedCard {
    const CardView* view = nullptr;
    Person person;
    std::optional<int> slot;         // the entry it is paired with
    bool held = false;               // in a likely pair not answered yet
    const Fields* fields = nullptr;  // its view, or the view outside the category
    bool outside = false;            // not of the category: paired only when sure
};

// Pairs the new cards with the new entries as contacts are merged: sure pairs, and likely ones
// answered "same person" (now or before), first, each entry and card in one pair at most, the
// entry with the most in common (the lower slot of equals); then the likely pairs not answered
// yet, which hold both sides back. The slots held back.
std::set<int> PairNewOnes(const std::map<int, Fields>& fields, const std::map<int, Person>& entries,
                          const PersonIndex& index, std::vector<UnpairedCard>& cards,
                          const PlanOptions& options, SyncPlan& plan) {
    NumberKeys keys{PhoneNumbers(options.region)};
    const auto given = [&options](int slot, const std::string& href) -> std::optional<bool> {
        for (const PairAnswer& a : options.answers) {
            if (a.slot == slot && a.href == href) return a.same;
        }
        return std::nullopt;
    };
    struct Asked {
        UnpairedCard* card;
        int slot;
        MatchRule rule;
    };
    std::vector<Asked> asked;
    std::set<int> taken;
    for (UnpairedCard& card : cards) {
        const std::string& href = card.view->card->href;
        std::optional<std::pair<int, int>> best;  // slot, numbers and e-mails in common
        for (const int slot : index.Candidates(card.person)) {
            if (taken.count(slot) != 0) continue;
            const Person& entry = entries.at(slot);
            Judgement judged = JudgePair(entry, card.person, keys, options.remembered);
            if (judged.verdict == Verdict::Ask) {
                if (card.outside) continue;
                const auto same = given(slot, href);
                if (!same) {
                    asked.push_back({&card, slot, judged.match.rule});
                    continue;
                }
                plan.answered.push_back({slot, href, entry, card.person, *same});
                judged.verdict = *same ? Verdict::Merge : Verdict::Apart;
            }
            if (judged.verdict == Verdict::Merge && (!best || judged.match.shared > best->second)) {
                best = {slot, judged.match.shared};
            }
        }
        if (!best) continue;
        card.slot = best->first;
        taken.insert(best->first);
    }
    std::set<int> held;
    for (const Asked& a : asked) {
        if (a.card->slot || taken.count(a.slot) != 0) continue;
        const std::string& href = a.card->view->card->href;
        const CardProperty* fn =
            a.card->view->card->card ? a.card->view->card->card->Find("FN") : nullptr;
        plan.likely.push_back({a.slot, href, fields.at(a.slot)[Field::Name],
                               fn != nullptr ? fn->Text() : (*a.card->fields)[Field::Name],
                               std::string(RuleText(a.rule))});
        a.card->held = true;
        held.insert(a.slot);
    }
    return held;
}
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

std::vector<std::string> CardsToFetch(const AddressBookState& state, const PhoneBook& book,
                                      const std::vector<ServerCard>& listing,
                                      std::string_view category, const std::string& region) {
    std::set<int> pairedSlots;
    for (const CardState& c : state.cards) {
        if (c.slot) pairedSlots.insert(*c.slot);
    }
    bool newEntries = false;
    for (int slot = 0; slot < kEntrySlots && !newEntries; ++slot) {
        newEntries = pairedSlots.count(slot) == 0 && FieldsOfEntry(book, slot).has_value();
    }
    // The base keeps the card's writing of a value both sides hold: an entry that writes it
    // its own way is unchanged.
    const PhoneNumbers numbers(region);
    const auto changed = [&](const Fields& now, const Fields& base) {
        return std::any_of(kAllFields.begin(), kAllFields.end(),
                           [&](Field f) { return !Agree(f, now[f], base[f], numbers); });
    };
    std::vector<std::string> out;
    for (const ServerCard& sc : listing) {
        const CardState* known = state.Card(sc.href);
        bool fetch = known == nullptr || known->etag != sc.etag || known->etag.empty();
        if (!fetch && known->slot) {
            const auto now = FieldsOfEntry(book, *known->slot, category);
            fetch = !now || changed(*now, known->base);
        }
        // A new entry may be the person of a card that is not on the handset: merging them
        // edits the card.
        if (!fetch && !known->slot && newEntries) fetch = !IsEmpty(known->base);
        if (fetch) out.push_back(sc.href);
    }
    return out;
}

void Resolve(ContactPlan& c, const PlanOptions& options) {
    // Worked out afresh: a contact is resolved again when its card is fetched anew. Conflicts
    // of an earlier resolution only lend their choices.
    c.bookChanges.clear();
    c.cardChanges.clear();
    c.cardText.clear();
    const std::vector<SyncConflict> before = std::exchange(c.conflicts, {});
    if (c.book && c.server && c.card) {
        const CardProperty* fn = c.card->Find("FN");
        if (fn != nullptr && CutFromFullName((*c.book)[Field::Name], fn->Text())) {
            (*c.server)[Field::Name] = (*c.book)[Field::Name];
        }
    }
    if (c.book && c.server) {
        const PhoneNumbers numbers(options.region);
        const Fields& h = *c.book;
        const Fields& s = *c.server;
        const Fields b = c.base.value_or(Fields{});  // none: what one side lacks, it takes
        if (!c.base) MergeNumbers(c, before, options, numbers);
        std::array<bool, kFieldCount> asWritten{};  // the server's value, written as it is
        for (const Field f : kAllFields) {
            if (!c.base && IsNumber(f)) continue;
            std::string& m = c.merged[f];
            // A handset unchanged since the base takes the server's value even when it is only
            // written anew (an accent put right); else one value written two ways is no change.
            // NOLINTNEXTLINE(bugprone-branch-clone): equal values are tried before equal kinds
            if (h[f] == s[f] || s[f] == b[f]) {
                m = h[f];
            } else if (h[f] == b[f]) {
                m = s[f];
                asWritten[static_cast<std::size_t>(f)] = true;
            } else if (Agree(f, h[f], s[f], numbers) || Agree(f, s[f], b[f], numbers)) {
                m = h[f];
            } else if (Agree(f, h[f], b[f], numbers)) {
                m = s[f];
            } else {
                const SyncConflict conflict{f, h[f], s[f], BookWins(before, f, options.preferBook)};
                m = conflict.bookWins ? h[f] : s[f];
                c.conflicts.push_back(conflict);
            }
        }
        // Each side keeps its own writing of a value both hold.
        Fields toCard = c.merged;
        for (const Field f : kAllFields) {
            if (!asWritten[static_cast<std::size_t>(f)] && Agree(f, c.merged[f], h[f], numbers)) {
                c.merged[f] = h[f];
            }
            if (Agree(f, toCard[f], s[f], numbers)) toCard[f] = s[f];
        }
        c.cardAction = CardAction::None;
        if ((toCard != s || c.joinsCategory) && c.card) {
            Card edited = *c.card;
            if (c.joinsCategory) {
                JoinCategory(edited, options.category);
                c.note = "the card joins the category \"" + options.category + "\"";
            }
            EditCard(edited, s, toCard, options.category, options.region);
            c.cardText = edited.Text();
            // Another value of the card may take the place of one that went (a second mobile
            // number when the first is deleted): the handset gets what the card now shows.
            if (const auto shown = HandsetView(edited, options.category, options.region)) {
                toCard = *shown;
                for (const Field f : kAllFields) {
                    if (!Agree(f, toCard[f], c.merged[f], numbers)) c.merged[f] = toCard[f];
                }
            }
            c.cardAction = CardAction::Change;
            c.cardChanges = Differences(s, toCard);
        } else if (toCard != s) {
            c.note = "the card could not be fetched: its changes wait for the next sync";
        }
        c.bookAction = c.merged != h ? BookAction::Change : BookAction::None;
        if (c.bookAction == BookAction::Change) c.bookChanges = Differences(h, c.merged);
        // The base keeps the card's writing of a value both sides hold, so that the next sync
        // tells a value the server writes anew from one it always wrote its own way.
        c.synced = c.merged;
        for (const Field f : kAllFields) {
            if (Agree(f, toCard[f], c.merged[f], numbers)) c.synced[f] = toCard[f];
        }
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
    if (!c.book || !c.server) c.synced = c.merged;
    c.cardName.clear();
    if (const CardProperty* fn = c.card ? c.card->Find("FN") : nullptr) c.cardName = fn->Text();
    c.label = LabelOf(c.merged);
    if (c.label.empty() && c.book) c.label = LabelOf(*c.book);
    if (c.label.empty() && c.server) c.label = LabelOf(*c.server);
}

SyncPlan MakePlan(const AddressBookState& state, const PhoneBook& book,
                  const std::vector<ServerCard>& server, const PlanOptions& options) {
    SyncPlan plan;
    plan.category = options.category;
    std::map<int, Fields> entries;
    for (int slot = 0; slot < kEntrySlots; ++slot) {
        if (auto f = FieldsOfEntry(book, slot, options.category)) {
            entries.emplace(slot, std::move(*f));
        }
    }
    plan.bookEntries = static_cast<int>(entries.size());
    plan.serverCards = static_cast<int>(server.size());

    std::map<std::string, CardView> views;
    for (const ServerCard& sc : server) {
        CardView v{&sc, state.Card(sc.href), std::nullopt, std::nullopt};
        if (sc.card) {
            v.view = HandsetView(*sc.card, options.category, options.region);
            if (!v.view && !options.category.empty()) {
                v.outside = HandsetView(*sc.card, {}, options.region);
            }
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
    std::map<int, Person> newEntries;
    PersonIndex index;
    for (const auto& [slot, fields] : entries) {
        if (usedSlots.count(slot) != 0) continue;
        index.Add(slot, newEntries.emplace(slot, PersonOfFields(fields)).first->second);
    }
    std::vector<UnpairedCard> newCards;
    for (const auto& [href, v] : views) {
        if (usedCards.count(href) != 0) continue;
        if (v.outside) {
            newCards.push_back(
                {&v, PersonOfFields(*v.outside), std::nullopt, false, &*v.outside, true});
            continue;
        }
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
        newCards.push_back({&v, PersonOfFields(*v.view), std::nullopt, false, &*v.view, false});
    }
    const std::set<int> heldSlots =
        PairNewOnes(entries, newEntries, index, newCards, options, plan);
    for (const UnpairedCard& nc : newCards) {
        if (!nc.slot) continue;
        const CardView& v = *nc.view;
        ContactPlan c;
        c.slot = nc.slot;
        c.href = v.card->href;
        c.etag = v.card->etag;
        c.uid = v.known != nullptr ? v.known->uid : (v.card->card ? v.card->card->Uid() : "");
        c.book = entries[*nc.slot];
        c.server = *nc.fields;
        c.card = v.card->card;
        c.joinsCategory = nc.outside;
        usedSlots.insert(*nc.slot);
        plan.contacts.push_back(std::move(c));
    }
    for (const auto& [slot, person] : newEntries) {
        if (usedSlots.count(slot) != 0 || heldSlots.count(slot) != 0) continue;
        ContactPlan c;
        c.slot = slot;
        c.book = entries[slot];
        c.uid = newUid();
        c.cardAction = CardAction::Create;
        plan.contacts.push_back(std::move(c));
    }

    // The other cards fill the free slots in name order; what does not fit stays off the handset.
    std::vector<const UnpairedCard*> order;
    for (const UnpairedCard& nc : newCards) {
        if (nc.slot) continue;
        if (!nc.outside) {
            order.push_back(&nc);
            continue;
        }
        ContactPlan c;  // not of the category: kept in the state, as a card off the handset
        c.href = nc.view->card->href;
        c.etag = nc.view->card->etag;
        c.uid = nc.view->card->card ? nc.view->card->card->Uid() : "";
        c.offHandset = true;
        plan.contacts.push_back(std::move(c));
    }
    std::stable_sort(order.begin(), order.end(), [](const UnpairedCard* a, const UnpairedCard* b) {
        return LowerAscii(LabelOf(*a->view->view)) < LowerAscii(LabelOf(*b->view->view));
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
    for (const UnpairedCard* nc : order) {
        const CardView& v = *nc->view;
        ContactPlan c;
        c.href = v.card->href;
        c.etag = v.card->etag;
        c.uid = v.known != nullptr ? v.known->uid : (v.card->card ? v.card->card->Uid() : "");
        c.server = v.view;
        c.card = v.card->card;
        const auto slot = nc->held ? std::nullopt : freeSlot();
        if (slot) {
            c.slot = slot;
            c.bookAction = BookAction::Add;
        } else {
            c.offHandset = true;
            if (!nc->held) plan.notOnHandset.push_back(LabelOf(*v.view));
        }
        plan.contacts.push_back(std::move(c));
    }
    for (ContactPlan& c : plan.contacts)
        Resolve(c, options);
    return plan;
}

void RememberAnswers(const SyncPlan& plan, const std::string& region, PairAnswers& answers) {
    NumberKeys keys{PhoneNumbers(region)};
    for (const AnsweredPair& a : plan.answered) {
        answers.Set(a.book, a.server, a.same ? Answer::SamePerson : Answer::DifferentPeople, keys);
    }
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
    const auto count = [](int n, const char* one, const char* several) {
        return std::to_string(n) + " " + (n == 1 ? one : several);
    };
    std::string what;
    if (onServer > 0) what = "delete " + count(onServer, "card", "cards") + " on the server";
    if (onServer > 0 && onBook > 0) what += " and ";
    if (onBook > 0) what += "empty " + count(onBook, "entry", "entries") + " on the handset";
    return "it would " + what;
}

std::optional<std::string> StrangerBook(const AddressBookState& state, const PhoneBook& book,
                                        const std::string& region) {
    const PhoneNumbers numbers(region);
    const auto same = [&numbers](Field f, const std::string& a, const std::string& b) {
        return !a.empty() && Agree(f, a, b, numbers);
    };
    const auto resembles = [&same](const Fields& now, const Fields& base) {
        if (same(Field::Name, now[Field::Name], base[Field::Name]) ||
            same(Field::Email, now[Field::Email], base[Field::Email])) {
            return true;
        }
        for (int a = 0; a < kNumberKinds; ++a) {
            for (int b = 0; b < kNumberKinds; ++b) {
                if (same(Field::Mobile, now[NumberField(a)], base[NumberField(b)])) return true;
            }
        }
        return false;
    };
    int present = 0;
    int strangers = 0;
    std::string example;
    for (const CardState& c : state.cards) {
        if (!c.slot) continue;
        const auto now = FieldsOfEntry(book, *c.slot);
        if (!now) continue;
        ++present;
        if (resembles(*now, c.base)) continue;
        if (++strangers == 1) {
            example = "entry " + std::to_string(*c.slot) + " was \"" + LabelOf(c.base) +
                      "\", is \"" + LabelOf(*now) + "\"";
        }
    }
    if (strangers == 0 || (strangers <= kMaxQuietDeletions && strangers * 2 <= present)) {
        return std::nullopt;
    }
    return "the book is not the one last synced with this address book: " +
           std::to_string(strangers) + " of the " + std::to_string(present) +
           " entries paired last time hold other people (" + example + ")";
}

void ApplyToBook(const SyncPlan& plan, PhoneBook& book) {
    for (const ContactPlan& c : plan.contacts) {
        if (!c.slot) continue;
        switch (c.bookAction) {
            case BookAction::None:
                break;
            case BookAction::Add:
            case BookAction::Change:
                PutFields(c.merged, *c.slot, book, plan.category);
                break;
            case BookAction::Empty:
                for (const NumberKind kind : kAllNumberKinds) {
                    const auto dial = book.FindSpeedDial(static_cast<uint16_t>(*c.slot), kind);
                    if (dial) book.ClearSpeedDial(*dial + kFirstSpeedDial);
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
    next.name = state.name;
    next.category = state.category;
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
            s.base = c.synced;
        }
        next.cards.push_back(std::move(s));
    }
    return next;
}

}  // namespace numora

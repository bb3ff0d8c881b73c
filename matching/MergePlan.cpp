#include "matching/MergePlan.h"

#include <array>
#include <nlohmann/json.hpp>
#include <optional>
#include <tuple>

#include "text/TextCodec.h"

namespace numora {

namespace {

constexpr std::array<const char*, kNumberKinds> kKindCaptions = {"Mobile", "Home", "Office",
                                                                 "Pager", "Fax"};
constexpr std::string_view kNoSlotLeft = "left out: the handset holds 300 entries";

enum class Mode { Contacts, Duplicates };

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string EntryLabel(int slot, const PBEntry& e) {
    return "entry " + std::to_string(slot) + " " + Quoted(TextOf(e.name));
}

// A record to merge into an entry: a contact as the handset would hold it, or another entry.
struct Incoming {
    PBEntry entry;
    std::array<int, kNumberKinds> speedDials{};  // 2..20, 0 for none
    std::string label;                           // book bytes: "contact 4 \"Ada\""
};

// What merging a record into an entry does, worked out without touching the book.
struct FieldMerge {
    PBEntry entry;
    // For each number of the record, the kind of the entry's number that holds it now, or none.
    std::array<std::optional<NumberKind>, kNumberKinds> placedAt{};
    std::vector<std::pair<int, NumberKind>> newSpeedDials;  // (speed-dial number, kind)
    std::vector<Conflict> conflicts;
    std::vector<std::string> notFitting;
    bool changed = false;

    // Merging changes nothing and has nothing to say: the record is already in the entry.
    bool Quiet() const { return !changed && conflicts.empty() && notFitting.empty(); }
};

class Planner {
public:
    Planner(const PhoneBook& book, NumberKeys& keys, const MergeOptions& options, Mode mode)
        : m_book(book), m_keys(keys), m_options(options), m_mode(mode) {
        m_plan.result = book;
        // The plan is worked out on a copy: nothing of it reaches the window's messages.
        m_plan.result.SetMessageSink(nullptr);
        for (int i = 0; i < kEntrySlots; ++i) {
            if (!m_plan.result.IsValidEntry(i)) continue;
            Index(i);
        }
    }

    void TakeContact(const Contact& contact) {
        ContactFit fit = FitContact(contact, m_keys.Numbers());
        if (!fit.stored) {
            Report(fit.problems);
            return;
        }
        Incoming in{
            fit.entry, fit.speedDials,
            "contact " + std::to_string(contact.source) + " " + Quoted(TextOf(fit.entry.name))};
        const Person person = PersonOfEntry(in.entry);
        struct Choice {
            int slot;
            Match match;
            bool answered;
            FieldMerge merge;
        };
        std::optional<Choice> best;
        std::vector<std::pair<int, MatchRule>> unanswered;
        const auto rank = [this](const Choice& c) {
            return std::make_tuple(!c.merge.changed, c.merge.Quiet(), c.match.shared,
                                   !m_claimed[static_cast<std::size_t>(c.slot)], -c.slot);
        };
        for (int slot : m_index.Candidates(person)) {
            if (!m_plan.result.IsValidEntry(slot)) continue;
            const Judgement judged = Judge(m_people[static_cast<std::size_t>(slot)], person);
            if (judged.verdict == Verdict::Ask) unanswered.emplace_back(slot, judged.match.rule);
            if (judged.verdict != Verdict::Merge) continue;
            Choice choice{slot, judged.match, judged.answered, MergeFields(slot, in)};
            if (!best || rank(choice) > rank(*best)) best = std::move(choice);
        }
        if (best) {
            m_plan.merged.push_back({best->slot, contact.source, true,
                                     std::string(TextOf(m_plan.result.Entry(best->slot).name)),
                                     std::string(TextOf(in.entry.name)), best->match.rule,
                                     best->answered});
            // What did not fit the handset matters only where the contact changes the entry.
            if (best->merge.changed) Report(fit.problems);
            Commit(best->slot, best->merge);
            m_claimed[static_cast<std::size_t>(best->slot)] = true;
            return;
        }
        for (const auto& [slot, rule] : unanswered) {
            m_plan.likely.push_back({slot, contact.source, true,
                                     std::string(TextOf(m_plan.result.Entry(slot).name)),
                                     std::string(TextOf(in.entry.name)), rule,
                                     m_people[static_cast<std::size_t>(slot)], person});
        }
        Report(fit.problems);
        Add(in, fit.group);
    }

    void MergeDuplicates() {
        PhoneBook& book = m_plan.result;
        for (int j = 0; j < kEntrySlots; ++j) {
            if (!book.IsValidEntry(j)) continue;
            const Person person = m_people[static_cast<std::size_t>(j)];
            std::optional<std::tuple<int, int, Match, bool>>
                best;  // shared, -slot, match, answered
            std::vector<std::pair<int, MatchRule>> unanswered;
            for (int i : m_index.Candidates(person)) {
                if (i >= j) break;
                if (!book.IsValidEntry(i)) continue;
                const Judgement judged = Judge(m_people[static_cast<std::size_t>(i)], person);
                if (judged.verdict == Verdict::Ask) unanswered.emplace_back(i, judged.match.rule);
                if (judged.verdict != Verdict::Merge) continue;
                if (!best || std::make_tuple(judged.match.shared, -i) >
                                 std::make_tuple(std::get<0>(*best), std::get<1>(*best))) {
                    best = std::make_tuple(judged.match.shared, -i, judged.match, judged.answered);
                }
            }
            if (!best) {
                for (const auto& [i, rule] : unanswered) {
                    m_plan.likely.push_back({i, j, false, std::string(TextOf(book.Entry(i).name)),
                                             std::string(TextOf(book.Entry(j).name)), rule,
                                             m_people[static_cast<std::size_t>(i)], person});
                }
                continue;
            }
            const int keep = -std::get<1>(*best);
            m_plan.merged.push_back({keep, j, false, std::string(TextOf(book.Entry(keep).name)),
                                     std::string(TextOf(book.Entry(j).name)),
                                     std::get<2>(*best).rule, std::get<3>(*best)});
            MergeAway(keep, j);
        }
    }

    MergePlan Finish() {
        m_plan.changes = CompareBooks(m_book, m_plan.result);
        return std::move(m_plan);
    }

private:
    Judgement Judge(const Person& entry, const Person& other) {
        return JudgePair(entry, other, m_keys, m_options.answers);
    }

    void Index(int slot) {
        Person& p = m_people[static_cast<std::size_t>(slot)];
        p = PersonOfEntry(m_plan.result.Entry(slot));
        m_index.Add(slot, p);
    }

    void Report(const std::vector<std::string>& lines) {
        m_plan.notFitting.insert(m_plan.notFitting.end(), lines.begin(), lines.end());
    }

    // The number's place on the entry: its own kind first, then any other that holds it.
    std::optional<NumberKind> KindHolding(const PBEntry& e, NumberKind kind,
                                          const std::string& number) {
        const auto holds = [&](NumberKind k) {
            return m_keys.Same(number, std::string(NumberText(e.numbers[IndexOf(k)])));
        };
        if (holds(kind)) return kind;
        for (const NumberKind k : kAllNumberKinds) {
            if (k != kind && holds(k)) return k;
        }
        return std::nullopt;
    }

    // Both sides hold a value and they differ: the book's stays unless the incoming side is
    // preferred. True when the incoming value is taken.
    bool Conflicting(FieldMerge& m, int slot, const Incoming& in, const char* caption,
                     std::string_view mine, std::string_view theirs) {
        const bool take = m_options.prefer == Prefer::Incoming && m_mode == Mode::Contacts;
        m.conflicts.push_back({slot, std::string(TextOf(m_plan.result.Entry(slot).name)), caption,
                               std::string(take ? theirs : mine), std::string(take ? mine : theirs),
                               in.label, take});
        m.changed = m.changed || take;
        return take;
    }

    template <std::size_t N>
    void MergeText(FieldMerge& m, int slot, const Incoming& in, std::array<char, N>& field,
                   const std::array<char, N>& value, const char* caption,
                   std::string (*fold)(std::string_view)) {
        const std::string_view mine = TextOf(field);
        const std::string_view theirs = TextOf(value);
        if (theirs.empty() || mine == theirs) return;
        if (mine.empty()) {
            field = value;
            m.changed = true;
            return;
        }
        // The same value written another way ("Meyer, Anna", a capital in an address).
        if (fold != nullptr && fold(mine) == fold(theirs)) return;
        if (Conflicting(m, slot, in, caption, mine, theirs)) field = value;
    }

    FieldMerge MergeFields(int slot, const Incoming& in) {
        const PhoneBook& book = m_plan.result;
        FieldMerge m;
        m.entry = book.Entry(slot);
        PBEntry& e = m.entry;
        MergeText(m, slot, in, e.name, in.entry.name, "Name", &FoldName);
        for (const NumberKind kind : kAllNumberKinds) {
            const std::size_t at = IndexOf(kind);
            const std::string number(NumberText(in.entry.numbers[at]));
            if (number.empty()) continue;
            if (const auto held = KindHolding(e, kind, number)) {
                m.placedAt[at] = held;
                continue;
            }
            if (e.numbers[at].length == 0) {
                e.numbers[at] = in.entry.numbers[at];
                m.placedAt[at] = kind;
                m.changed = true;
                continue;
            }
            // The Mobile holds one number: another mobile number is the person's new one, or a
            // mistake, and the user decides. Between duplicates nothing is dropped.
            if (kind == NumberKind::Mobile && m_mode == Mode::Contacts) {
                if (Conflicting(m, slot, in, kKindCaptions[at], NumberText(e.numbers[at]),
                                number)) {
                    e.numbers[at] = in.entry.numbers[at];
                    m.placedAt[at] = kind;
                }
                continue;
            }
            std::optional<NumberKind> free;
            for (const NumberKind f : kFreeKindOrder) {
                if (!free && e.numbers[IndexOf(f)].length == 0) free = f;
            }
            if (!free) {
                m.notFitting.push_back(Latin1ToUtf8(EntryLabel(slot, book.Entry(slot)) + ": " +
                                                    kKindCaptions[at] + " number " +
                                                    Quoted(number) + " of " + in.label +
                                                    " left out: the entry has no free number"));
                continue;
            }
            e.numbers[IndexOf(*free)] = in.entry.numbers[at];
            m.placedAt[at] = free;
            m.changed = true;
        }
        MergeText(m, slot, in, e.email, in.entry.email, "E-mail", &FoldEmail);
        MergeText(m, slot, in, e.wireless, in.entry.wireless, "Wireless Address", nullptr);
        MergeText(m, slot, in, e.memo, in.entry.memo, "Memo", nullptr);
        if (m_mode == Mode::Contacts) PlanSpeedDials(m, slot, in);
        return m;
    }

    // A contact's speed dial is taken where its number has none and the speed dial is free (it
    // names no entry, or one that was deleted); the entry's own speed dials stay.
    void PlanSpeedDials(FieldMerge& m, int slot, const Incoming& in) {
        const PhoneBook& book = m_plan.result;
        for (std::size_t k = 0; k < kNumberKinds; ++k) {
            const int n = in.speedDials[k];
            const auto placed = m.placedAt[k];
            if (n == 0 || !placed) continue;
            const NumberKind kind = *placed;
            const PBSpeedDial& dial = book.SpeedDial(n - kFirstSpeedDial);
            if (dial.entry == slot && dial.kind == KindByte(kind)) continue;
            const auto own = book.FindSpeedDial(static_cast<uint16_t>(slot), kind);
            if (!book.IsValidEntry(dial.entry) && !own) {
                m.newSpeedDials.emplace_back(n, kind);
                m.changed = true;
                continue;
            }
            const std::string why =
                book.IsValidEntry(dial.entry)
                    ? HolderOf(dial)
                    : "the number has speed dial " + std::to_string(*own + kFirstSpeedDial);
            m.notFitting.push_back(Latin1ToUtf8("speed dial " + std::to_string(n) + " of " +
                                                in.label + " left out: " + why));
        }
    }

    std::string HolderOf(const PBSpeedDial& dial) const {
        return EntryLabel(dial.entry, m_plan.result.Entry(dial.entry)) + " has it";
    }

    void Commit(int slot, const FieldMerge& m) {
        PhoneBook& book = m_plan.result;
        book.SetEntry(m.entry);
        for (const auto& [n, kind] : m.newSpeedDials)
            book.SetSpeedDial(n, static_cast<uint16_t>(slot), kind);
        m_plan.conflicts.insert(m_plan.conflicts.end(), m.conflicts.begin(), m.conflicts.end());
        Report(m.notFitting);
        Index(slot);
    }

    void Add(const Incoming& in, const std::string& group) {
        PhoneBook& book = m_plan.result;
        while (m_nextFree < kEntrySlots && book.IsValidEntry(m_nextFree))
            ++m_nextFree;
        if (m_nextFree >= kEntrySlots) {
            m_plan.notFitting.push_back(Latin1ToUtf8(in.label) + ": " + std::string(kNoSlotLeft));
            return;
        }
        const int slot = m_nextFree;
        PBEntry e = in.entry;
        e.index = static_cast<uint16_t>(slot);
        e.group = kEtcGroup;
        if (!group.empty()) {
            if (const auto g = GroupNamed(book, group)) {
                e.group = *g;
            } else {
                m_plan.notFitting.push_back(Latin1ToUtf8(in.label + ": group " + Quoted(group) +
                                                         " does not fit (five named groups): "
                                                         "filed under Etc."));
            }
        }
        book.SetEntry(e);
        for (const NumberKind kind : kAllNumberKinds) {
            const int n = in.speedDials[IndexOf(kind)];
            if (n == 0) continue;
            const PBSpeedDial& dial = book.SpeedDial(n - kFirstSpeedDial);
            if (!book.IsValidEntry(dial.entry)) {
                book.SetSpeedDial(n, static_cast<uint16_t>(slot), kind);
            } else {
                m_plan.notFitting.push_back(Latin1ToUtf8("speed dial " + std::to_string(n) +
                                                         " of " + in.label +
                                                         " left out: " + HolderOf(dial)));
            }
        }
        m_claimed[static_cast<std::size_t>(slot)] = true;
        ++m_plan.added;
        Index(slot);
    }

    // Entry `away` merges into `keep` and goes; speed dials that pointed at it follow its
    // numbers to where they are now.
    void MergeAway(int keep, int away) {
        PhoneBook& book = m_plan.result;
        const PBEntry gone = book.Entry(away);
        const Incoming in{gone, {}, EntryLabel(away, gone)};
        FieldMerge m = MergeFields(keep, in);
        Commit(keep, m);
        for (int element = 0; element < kSpeedDialSlots; ++element) {
            const PBSpeedDial dial = book.SpeedDial(element);
            if (dial.entry != away) continue;
            const int n = element + kFirstSpeedDial;
            const auto kind = KindOfByte(dial.kind);
            const auto placed = kind ? m.placedAt[IndexOf(*kind)] : std::nullopt;
            if (placed) {
                book.SetSpeedDial(n, static_cast<uint16_t>(keep), *placed);
            } else {
                book.ClearSpeedDial(n);
                m_plan.notFitting.push_back(Latin1ToUtf8("speed dial " + std::to_string(n) +
                                                         " of " + in.label +
                                                         " left out: its number has no place"));
            }
        }
        book.DeleteEntry(away);
    }

    const PhoneBook& m_book;
    NumberKeys& m_keys;
    const MergeOptions& m_options;
    Mode m_mode;
    MergePlan m_plan;
    PersonIndex m_index;
    std::array<Person, kEntrySlots> m_people{};
    std::array<bool, kEntrySlots> m_claimed{};
    int m_nextFree = 0;
};

}  // namespace

MergePlan PlanMerge(const PhoneBook& book, const std::vector<Contact>& contacts, NumberKeys& keys,
                    const MergeOptions& options) {
    Planner planner(book, keys, options, Mode::Contacts);
    for (const Contact& c : contacts)
        planner.TakeContact(c);
    return planner.Finish();
}

MergePlan PlanDuplicates(const PhoneBook& book, NumberKeys& keys, const MergeOptions& options) {
    Planner planner(book, keys, options, Mode::Duplicates);
    planner.MergeDuplicates();
    return planner.Finish();
}

void ApplyMergePlan(const MergePlan& plan, PhoneBook& book) {
    IMessageSink* sink = book.MessageSink();
    book = plan.result;
    book.SetMessageSink(sink);
}

std::string ConflictLine(const Conflict& c) {
    const std::string head =
        "entry " + std::to_string(c.slot) + " " + Quoted(c.name) + ": " + c.field + " ";
    if (c.incomingTaken) {
        return head + Quoted(c.kept) + " of " + c.from + " replaces " + Quoted(c.dropped);
    }
    return head + Quoted(c.kept) + " kept; " + c.from + " has " + Quoted(c.dropped);
}

std::string LikelyLine(const LikelyPair& p) {
    return "entry " + std::to_string(p.slot) + " " + Quoted(p.name) + " and " +
           (p.otherIsContact ? "contact " : "entry ") + std::to_string(p.other) + " " +
           Quoted(p.otherName) + ": " + std::string(RuleText(p.rule));
}

std::string MergedLine(const MergedPair& p) {
    return "entry " + std::to_string(p.slot) + " " + Quoted(p.name) + " and " +
           (p.otherIsContact ? "contact " : "entry ") + std::to_string(p.other) + " " +
           Quoted(p.otherName) + ": " +
           (p.answered ? std::string("the same person, as answered")
                       : std::string(RuleText(p.rule)));
}

}  // namespace numora

namespace numora {

std::string PairsJson(const MergePlan& plan, bool asciiOnly) {
    nlohmann::ordered_json pairs = nlohmann::ordered_json::array();
    const auto add = [&](std::string_view likeness, int slot, const std::string& name, int other,
                         bool otherIsContact, const std::string& otherName, std::string_view why) {
        pairs.push_back({{"likeness", likeness},
                         {"entry", slot},
                         {"name", Latin1ToUtf8(name)},
                         {otherIsContact ? "contact" : "otherEntry", other},
                         {"otherName", Latin1ToUtf8(otherName)},
                         {"why", why}});
    };
    for (const MergedPair& p : plan.merged) {
        add("sure", p.slot, p.name, p.other, p.otherIsContact, p.otherName,
            p.answered ? "the same person, as answered" : RuleText(p.rule));
    }
    for (const LikelyPair& p : plan.likely)
        add("likely", p.slot, p.name, p.other, p.otherIsContact, p.otherName, RuleText(p.rule));
    return pairs.dump(-1, ' ', asciiOnly);
}

}  // namespace numora

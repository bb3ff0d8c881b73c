#include "book/BookDiff.h"

#include <array>
#include <nlohmann/json.hpp>
#include <utility>

#include "book/MediaLists.h"
#include "text/TextCodec.h"

namespace numora {

namespace {

constexpr std::array<const char*, kNumberKinds> kKindCaptions = {"Mobile", "Home", "Office",
                                                                 "Pager", "Fax"};

std::string GroupName(const PhoneBook& book, uint8_t g) {
    PBGroup group;
    if (g < kGroupSlots && book.GetGroup(g, group)) return std::string(TextOf(group.name));
    return "group " + std::to_string(g);
}

std::string CodeText(MediaList list, uint16_t code) {
    return code == kNone16 ? std::string("default") : TitleForCode(list, code);
}

// The fields of an entry the form shows, with their captions, as text.
std::vector<std::pair<std::string, std::string>> EntryFields(const PhoneBook& book,
                                                             const PBEntry& e) {
    std::vector<std::pair<std::string, std::string>> f;
    f.emplace_back("Name", TextOf(e.name));
    f.emplace_back("Group", GroupName(book, e.group));
    for (std::size_t k = 0; k < kKindCaptions.size(); ++k)
        f.emplace_back(kKindCaptions[k], NumberText(e.numbers[k]));
    f.emplace_back("E-mail", TextOf(e.email));
    f.emplace_back("Wireless Address", TextOf(e.wireless));
    f.emplace_back("Memo", TextOf(e.memo));
    f.emplace_back("Secret", e.secret != 0 ? "YES" : "NO");
    f.emplace_back("Ringer", CodeText(MediaList::Ringer, e.ringer));
    f.emplace_back("Msg. Ringer", CodeText(MediaList::MsgRinger, e.msgRinger));
    f.emplace_back("Graphic", CodeText(MediaList::Graphic, e.picture));
    return f;
}

// What an added or removed entry holds that a person would know it by: its numbers and
// addresses.
std::string EntrySummary(const PBEntry& e) {
    std::string out;
    auto add = [&out](const char* caption, std::string_view value) {
        if (value.empty()) return;
        if (!out.empty()) out += ", ";
        out += std::string(caption) + " " + std::string(value);
    };
    for (std::size_t k = 0; k < kKindCaptions.size(); ++k)
        add(kKindCaptions[k], NumberText(e.numbers[k]));
    add("E-mail", TextOf(e.email));
    add("Wireless Address", TextOf(e.wireless));
    return out;
}

void CompareEntries(const PhoneBook& a, const PhoneBook& b, std::vector<BookDifference>& out) {
    for (int i = 0; i < kEntrySlots; ++i) {
        PBEntry ea;
        PBEntry eb;
        const bool inA = a.GetEntry(i, ea);
        const bool inB = b.GetEntry(i, eb);
        if (!inA && !inB) continue;
        if (inA != inB) {
            BookDifference d;
            d.change = inB ? DiffChange::Added : DiffChange::Removed;
            d.slot = i;
            d.name = std::string(TextOf(inB ? eb.name : ea.name));
            (inB ? d.after : d.before) = EntrySummary(inB ? eb : ea);
            out.push_back(std::move(d));
            continue;
        }
        const auto fa = EntryFields(a, ea);
        const auto fb = EntryFields(b, eb);
        for (std::size_t k = 0; k < fa.size(); ++k) {
            std::string before = fa[k].second;
            std::string after = fb[k].second;
            if (fa[k].first == "Group") {
                // A renamed group is the group's difference, not each member's; two groups of
                // one name in different slots are still another group.
                if (ea.group == eb.group) continue;
                if (before == after) {
                    before += " (group " + std::to_string(ea.group) + ")";
                    after += " (group " + std::to_string(eb.group) + ")";
                }
            } else if (before == after) {
                continue;
            }
            out.push_back({DiffItem::Entry, DiffChange::Changed, i, std::string(TextOf(eb.name)),
                           fa[k].first, std::move(before), std::move(after)});
        }
    }
}

// Groups and SMS groups: present or not, and their names.
template <typename Get>
void CompareNamed(DiffItem item, int slots, Get get, std::vector<BookDifference>& out) {
    for (int s = 0; s < slots; ++s) {
        std::string na;
        std::string nb;
        const bool inA = get(0, s, na);
        const bool inB = get(1, s, nb);
        if (!inA && !inB) continue;
        if (inA != inB) {
            out.push_back({item,
                           inB ? DiffChange::Added : DiffChange::Removed,
                           s,
                           inB ? nb : na,
                           {},
                           {},
                           {}});
        } else if (na != nb) {
            out.push_back({item, DiffChange::Changed, s, nb, "Name", na, nb});
        }
    }
}

std::string DialTarget(const PhoneBook& book, const PBSpeedDial& d) {
    if (d.entry == kNone16) return {};
    std::string out = "entry " + std::to_string(d.entry);
    PBEntry e;
    if (book.GetEntry(d.entry, e)) out += " \"" + std::string(TextOf(e.name)) + "\"";
    if (const auto kind = KindOfByte(d.kind)) {
        out += std::string(" ") + kKindCaptions[IndexOf(*kind)];
    } else {
        out += " kind " + std::to_string(d.kind);
    }
    return out;
}

void CompareSpeedDials(const PhoneBook& a, const PhoneBook& b, std::vector<BookDifference>& out) {
    for (int j = 0; j < kSpeedDialSlots; ++j) {
        const PBSpeedDial& da = a.SpeedDial(j);
        const PBSpeedDial& db = b.SpeedDial(j);
        const bool inA = da.entry != kNone16;
        const bool inB = db.entry != kNone16;
        if ((!inA && !inB) || da == db) continue;
        const DiffChange change =
            !inA ? DiffChange::Added : (!inB ? DiffChange::Removed : DiffChange::Changed);
        out.push_back({DiffItem::SpeedDial,
                       change,
                       j + kFirstSpeedDial,
                       {},
                       {},
                       DialTarget(a, da),
                       DialTarget(b, db)});
    }
}

const char* ItemName(DiffItem item) {
    switch (item) {
        case DiffItem::Entry:
            return "entry";
        case DiffItem::Group:
            return "group";
        case DiffItem::SmsGroup:
            return "SMS group";
        case DiffItem::SpeedDial:
            return "speed dial";
    }
    return "";
}

const char* ChangeName(DiffChange change) {
    switch (change) {
        case DiffChange::Added:
            return "added";
        case DiffChange::Removed:
            return "removed";
        case DiffChange::Changed:
            return "changed";
    }
    return "";
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

}  // namespace

std::vector<BookDifference> CompareBooks(const PhoneBook& a, const PhoneBook& b) {
    std::vector<BookDifference> out;
    CompareEntries(a, b, out);
    CompareNamed(
        DiffItem::Group, kGroupSlots,
        [&](int which, int g, std::string& name) {
            PBGroup group;
            if (!(which == 0 ? a : b).GetGroup(g, group)) return false;
            name = TextOf(group.name);
            return true;
        },
        out);
    CompareNamed(
        DiffItem::SmsGroup, kSmsGroupSlots,
        [&](int which, int k, std::string& name) {
            PBSmsGroup sms;
            if (!(which == 0 ? a : b).GetSmsGroup(k, sms)) return false;
            name = TextOf(sms.name);
            return true;
        },
        out);
    CompareSpeedDials(a, b, out);
    return out;
}

std::string DifferenceLine(const BookDifference& d) {
    std::string out = ItemName(d.item);
    out += " " + std::to_string(d.slot);
    if (d.item != DiffItem::SpeedDial) out += " " + Quoted(d.name);
    out += ": ";
    if (d.item == DiffItem::SpeedDial) {
        if (d.change == DiffChange::Added) return out + "added " + d.after;
        if (d.change == DiffChange::Removed) return out + "removed " + d.before;
        return out + d.before + " -> " + d.after;
    }
    if (d.change != DiffChange::Changed) {
        out += ChangeName(d.change);
        const std::string& what = d.change == DiffChange::Added ? d.after : d.before;
        if (!what.empty()) out += " (" + what + ")";
        return out;
    }
    return out + d.field + " " + Quoted(d.before) + " -> " + Quoted(d.after);
}

std::string DifferencesJson(const std::vector<BookDifference>& diffs) {
    // Text is the book's bytes: each shows as the Latin-1 character of its value.
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (const BookDifference& d : diffs) {
        out.push_back({{"item", ItemName(d.item)},
                       {"change", ChangeName(d.change)},
                       {"slot", d.slot},
                       {"name", Latin1ToUtf8(d.name)},
                       {"field", Latin1ToUtf8(d.field)},
                       {"before", Latin1ToUtf8(d.before)},
                       {"after", Latin1ToUtf8(d.after)}});
    }
    return out.dump();
}

}  // namespace numora

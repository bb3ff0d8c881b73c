#include "formats/Contacts.h"

#include "formats/BookJson.h"
#include "text/TextCodec.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

namespace numora {

namespace {

constexpr std::array<std::string_view, kNumberKinds> kKindWords = {"mobile", "home", "office",
                                                                   "pager", "fax"};

// Text as the handset may hold it: control characters go (a tab becomes a space); in a one-line
// field a line break (CR LF, CR or LF) becomes a space, a memo keeps its line breaks.
struct CleanText {
    std::string text;
    int controls = 0;
    int breaks = 0;
};

CleanText Clean(std::string_view s, bool multiLine) {
    CleanText out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<uint8_t>(s[i]);
        if (b == '\r' || b == '\n') {
            if (multiLine) {
                out.text += s[i];
            } else {
                if (b == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
                out.text += ' ';
                ++out.breaks;
            }
        } else if (b == '\t') {
            out.text += ' ';
        } else if (b < 0x20 || b == 0x7F) {
            ++out.controls;
        } else if (b == 0xC2 && i + 1 < s.size() && static_cast<uint8_t>(s[i + 1]) >= 0x80 &&
                   static_cast<uint8_t>(s[i + 1]) <= 0x9F) {
            ++out.controls;  // U+0080..U+009F
            ++i;
        } else {
            out.text += s[i];
        }
    }
    return out;
}

std::string Quoted(std::string_view text) {
    return "\"" + Clip(text) + "\"";
}

// The first thing a contact can be told by when it has no name.
std::string FirstValue(const Contact& c) {
    for (const std::string& n : c.numbers) {
        if (!n.empty()) return n;
    }
    return !c.email.empty() ? c.email : c.wireless;
}

class Reporter {
public:
    Reporter(const Contact& c, std::vector<std::string>& out) : m_out(out) {
        m_who = "contact " + std::to_string(c.source);
        if (!c.name.empty()) {
            m_who += " " + Quoted(c.name);
        } else if (const std::string first = FirstValue(c); !first.empty()) {
            m_who += " (no name, " + Clip(first) + ")";
        }
    }
    void Problem(const std::string& what) { m_out.push_back(m_who + ": " + what); }

private:
    std::string m_who;
    std::vector<std::string>& m_out;
};

// The text in the book's bytes, with a word for each change.
std::string HandsetBytes(std::string_view utf8, bool multiLine, std::string_view what,
                         Reporter& report) {
    const CleanText clean = Clean(utf8, multiLine);
    if (clean.controls > 0) {
        report.Problem(std::string(what) + ": " + std::to_string(clean.controls) +
                       " control character(s) left out");
    }
    if (clean.breaks > 0) report.Problem(std::string(what) + ": line break written as a space");
    int lost = 0;
    std::string bytes = Utf8ToLatin1(clean.text, &lost);
    if (lost > 0) {
        report.Problem(std::string(what) + ": " + std::to_string(lost) +
                       " character(s) the handset cannot show, written as " +
                       Quoted(Latin1ToUtf8(bytes)));
    }
    return bytes;
}

// Text cut to a field's limit, never with a blank (or a dangling hyphen) at its end. The import
// and the address-book sync cut with this one rule, so that both hold a card's name alike. The
// cut stays at the limit rather than going back to a word: a handset name cut there before is
// still the same person's.
std::string CutToLimit(std::string bytes, std::size_t limit) {
    if (bytes.size() > limit) bytes.resize(limit);
    while (!bytes.empty() && (bytes.back() == ' ' || bytes.back() == '-'))
        bytes.pop_back();
    return bytes;
}

// A text field in the book's bytes, cut to its limit with a word.
std::string FitText(std::string_view utf8, std::size_t limit, std::string_view what,
                    Reporter& report, bool multiLine = false) {
    std::string bytes = HandsetBytes(utf8, multiLine, what, report);
    if (bytes.size() > limit) {
        bytes = CutToLimit(std::move(bytes), limit);
        report.Problem(std::string(what) + " cut to " + std::to_string(limit) + " characters (" +
                       Quoted(Latin1ToUtf8(bytes)) + ")");
    }
    return bytes;
}

std::string Joined(std::initializer_list<const std::string*> parts) {
    std::string out;
    for (const std::string* p : parts) {
        if (p->empty()) continue;
        if (!out.empty()) out += ' ';
        out += *p;
    }
    return out;
}

// A name too long for the handset first loses its prefix and suffix, then its middle names, and
// only then is cut. The parts are used only when the name is made of them.
std::string FitName(const Contact& c, Reporter& report) {
    std::string bytes = HandsetBytes(c.name, false, "name", report);
    if (bytes.size() <= static_cast<std::size_t>(kNameLen)) return bytes;
    const NameParts* n = c.nameParts ? &*c.nameParts : nullptr;
    if (n != nullptr &&
        (n->given.empty() || n->family.empty() || c.name.find(n->given) == std::string::npos ||
         c.name.find(n->family) == std::string::npos)) {
        n = nullptr;
    }
    if (n != nullptr) {
        // Names written family first ("Yamada Taro") keep that order.
        const bool familyFirst = c.name.find(n->family) < c.name.find(n->given);
        const std::string shorter[] = {
            familyFirst ? Joined({&n->family, &n->given, &n->middle})
                        : Joined({&n->given, &n->middle, &n->family}),
            familyFirst ? Joined({&n->family, &n->given}) : Joined({&n->given, &n->family})};
        for (const std::string& candidate : shorter) {
            std::vector<std::string> quiet;
            Reporter none(Contact{}, quiet);
            bytes = HandsetBytes(candidate, false, "name", none);
            if (bytes.size() <= static_cast<std::size_t>(kNameLen)) {
                report.Problem("name " + Quoted(c.name) + " shortened to " +
                               Quoted(Latin1ToUtf8(bytes)) + " (the handset holds 16 characters)");
                return bytes;
            }
        }
    }
    bytes = CutToLimit(std::move(bytes), kNameLen);
    if (n != nullptr) {
        report.Problem("name " + Quoted(c.name) + " shortened to " + Quoted(Latin1ToUtf8(bytes)) +
                       " (without prefix, suffix and middle names, then cut to 16 characters)");
    } else {
        report.Problem("name cut to 16 characters (" + Quoted(Latin1ToUtf8(bytes)) + ")");
    }
    return bytes;
}

std::string FitNumber(const std::string& text, std::string_view kind, const PhoneNumbers& numbers,
                      Reporter& report) {
    const DialableNumber d = numbers.Dialable(text);
    std::string digits = d.digits;
    const std::string what = std::string(kind) + " number " + Quoted(text);
    if (digits.empty()) {
        report.Problem(what + " left out: " +
                       (d.leftOut.empty() ? "nothing in it the handset can dial" : d.leftOut));
        return digits;
    }
    if (!d.dropped.empty()) {
        std::vector<std::string> unique;
        for (const std::string& w : d.dropped) {
            if (std::find(unique.begin(), unique.end(), w) == unique.end()) unique.push_back(w);
        }
        std::string words;
        for (const std::string& w : unique)
            words += (words.empty() ? "" : ", ") + ("\"" + w + "\"");
        report.Problem(what + " written as " + Quoted(digits) + ": " + Clip(words) +
                       " left out (the handset dials only 0-9 P T # *)");
    }
    if (!d.extension.empty()) {
        report.Problem(what + ": extension " + Clip(d.extension) + " dialled after a pause (" +
                       Quoted(digits) + ")");
    }
    if (digits.size() > static_cast<std::size_t>(kNumberLen)) {
        digits.resize(kNumberLen);
        report.Problem(std::string(kind) + " number cut to 32 digits (\"" + digits + "\")");
    }
    return digits;
}

}  // namespace

std::string Clip(std::string_view s) {
    // An escape counts as wide as it is shown.
    constexpr std::size_t kShown = 40;
    std::string out;
    std::size_t shown = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<uint8_t>(s[i]);
        if ((b & 0xC0) == 0x80) {
            out += s[i];
            continue;
        }
        std::string piece(1, s[i]);
        if (b == '\n') {
            piece = "\\n";
        } else if (b == '\r') {
            piece = "\\r";
        } else if (b == '\t') {
            piece = "\\t";
        } else if (b < 0x20 || b == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            piece = hex;
        } else if (b == 0xC2 && i + 1 < s.size() && static_cast<uint8_t>(s[i + 1]) >= 0x80 &&
                   static_cast<uint8_t>(s[i + 1]) <= 0x9F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<uint8_t>(s[++i]));
            piece = hex;
        }
        const std::size_t width = piece.size() > 1 && piece[0] == '\\' ? piece.size() : 1;
        if (shown + width > kShown) return out + "...";
        shown += width;
        out += piece;
    }
    return out;
}

std::string FullName(const NameParts& n) {
    return Joined({&n.prefix, &n.given, &n.middle, &n.family, &n.suffix});
}

std::vector<Contact> ContactsFromBook(const PhoneBook& book) {
    std::vector<Contact> out;
    for (int i = 0; i < kEntrySlots; ++i) {
        PBEntry e;
        if (!book.GetEntry(i, e)) continue;
        Contact c;
        c.source = static_cast<int>(out.size()) + 1;
        c.slot = i;
        c.name = Latin1ToUtf8(TextOf(e.name));
        PBGroup g;
        if (book.GetGroup(e.group, g)) c.group = Latin1ToUtf8(TextOf(g.name));
        c.secret = e.secret != 0;
        for (const NumberKind kind : kAllNumberKinds) {
            const std::size_t k = IndexOf(kind);
            c.numbers[k] = Latin1ToUtf8(NumberText(e.numbers[k]));
            const auto element = book.FindSpeedDial(static_cast<uint16_t>(i), kind);
            if (element && !c.numbers[k].empty()) c.speedDials[k] = *element + kFirstSpeedDial;
        }
        c.email = Latin1ToUtf8(TextOf(e.email));
        c.wireless = Latin1ToUtf8(TextOf(e.wireless));
        c.memo = Latin1ToUtf8(TextOf(e.memo));
        if (e.ringer != kNone16) c.ringer = e.ringer;
        if (e.msgRinger != kNone16) c.msgRinger = e.msgRinger;
        out.push_back(std::move(c));
    }
    return out;
}

ContactFit FitContact(const Contact& c, const PhoneNumbers& numbers) {
    ContactFit fit;
    Reporter report(c, fit.problems);
    PBEntry& e = fit.entry;
    e.secret = c.secret ? 1 : 0;
    SetText(e.name, FitName(c, report));
    for (std::size_t k = 0; k < kNumberKinds; ++k) {
        if (c.numbers[k].empty()) continue;
        SetNumber(e.numbers[k], FitNumber(c.numbers[k], kKindWords[k], numbers, report));
    }
    for (const std::string& what : c.leftOut)
        report.Problem(what + " left out");
    SetText(e.email, FitText(c.email, kTextLen, "e-mail", report));
    SetText(e.wireless, FitText(c.wireless, kTextLen, "wireless address", report));
    SetText(e.memo, FitText(c.memo, kTextLen, "memo", report, true));
    e.ringer = c.ringer.value_or(kNone16);
    e.msgRinger = c.msgRinger.value_or(kNone16);
    e.group = kEtcGroup;
    fit.group = FitText(c.group, kNameLen, "group", report);
    for (std::size_t k = 0; k < kNumberKinds; ++k) {
        const int number = c.speedDials[k];
        if (number == 0) continue;
        if (number < kFirstSpeedDial || number > kLastSpeedDial) {
            report.Problem("speed dial " + std::to_string(number) +
                           " left out: speed dials run from 2 to 20");
        } else if (e.numbers[k].length != 0) {
            fit.speedDials[k] = number;
        }
    }
    if (!HasContent(e)) {
        report.Problem("left out: no number, e-mail or wireless address");
        fit.stored = false;
    } else if (e.name[0] == '\0') {
        report.Problem("no name");
    }
    return fit;
}

std::optional<uint8_t> GroupNamed(PhoneBook& book, std::string_view name) {
    for (int g = 0; g < kGroupSlots; ++g) {
        PBGroup grp;
        if (book.GetGroup(g, grp) && TextOf(grp.name) == name) return static_cast<uint8_t>(g);
    }
    for (int g = kFirstNamedGroup; g <= kLastNamedGroup; ++g) {
        PBGroup grp;
        if (!book.GetGroup(g, grp)) {
            book.SetGroup(g, name);
            return static_cast<uint8_t>(g);
        }
    }
    return std::nullopt;
}

ContactsImport ReplaceEntriesWithContacts(const std::vector<Contact>& contacts, PhoneBook& book,
                                          const PhoneNumbers& numbers) {
    ContactsImport result;
    book.ResetAllEntries();
    book.ResetSpeedDials();

    // Only stored contacts count against the 300 places; once they are full, the rest are not
    // looked at further.
    struct Stored {
        const Contact* contact;
        ContactFit fit;
        int slot = -1;
    };
    std::vector<Stored> stored;
    for (const Contact& c : contacts) {
        if (stored.size() == static_cast<std::size_t>(kEntrySlots)) {
            Reporter(c, result.problems).Problem("left out: the handset holds 300 entries");
            continue;
        }
        ContactFit fit = FitContact(c, numbers);
        result.problems.insert(result.problems.end(), fit.problems.begin(), fit.problems.end());
        if (fit.stored) stored.push_back({&c, std::move(fit)});
    }

    // Contacts that know their slot keep it when it is free; the others take free slots.
    std::set<int> used;
    for (Stored& s : stored) {
        const auto& hint = s.contact->slot;
        if (hint && *hint >= 0 && *hint < kEntrySlots && used.insert(*hint).second) s.slot = *hint;
    }
    int nextFree = 0;
    for (Stored& s : stored) {
        if (s.slot >= 0) continue;
        while (used.count(nextFree) != 0)
            ++nextFree;
        s.slot = nextFree;
        used.insert(nextFree);
    }

    std::vector<PBEntry> entries;
    std::map<int, std::vector<std::pair<int, NumberKind>>> dials;  // number -> (slot, kind)
    for (Stored& s : stored) {
        const Contact& c = *s.contact;
        PBEntry e = s.fit.entry;
        e.index = static_cast<uint16_t>(s.slot);
        if (!s.fit.group.empty()) {
            if (const auto group = GroupNamed(book, s.fit.group)) {
                e.group = *group;
            } else {
                Reporter(c, result.problems)
                    .Problem("group " + Quoted(c.group) +
                             " does not fit (five named groups): filed under Etc.");
            }
        }
        for (const NumberKind kind : kAllNumberKinds) {
            if (const int number = s.fit.speedDials[IndexOf(kind)]; number != 0) {
                dials[number].emplace_back(s.slot, kind);
            }
        }
        entries.push_back(e);
        ++result.taken;
    }

    // Each new member goes first in its group: adding from the highest slot down leaves the
    // chains in slot order, as a read builds them.
    std::sort(entries.begin(), entries.end(),
              [](const PBEntry& a, const PBEntry& b) { return a.index > b.index; });
    for (const PBEntry& e : entries)
        book.SetEntry(e);

    for (const auto& [number, holders] : dials) {
        book.SetSpeedDial(number, static_cast<uint16_t>(holders.front().first),
                          holders.front().second);
        for (std::size_t h = 1; h < holders.size(); ++h) {
            result.problems.push_back("speed dial " + std::to_string(number) + " of entry " +
                                      std::to_string(holders[h].first) + " left out: entry " +
                                      std::to_string(holders.front().first) + " has it");
        }
    }
    return result;
}

}  // namespace numora

#include "formats/Contacts.h"

#include "formats/BookJson.h"
#include "text/TextCodec.h"

#include <algorithm>
#include <map>
#include <set>

namespace numora {

namespace {

bool IsDialable(char c) {
    return (c >= '0' && c <= '9') || c == 'P' || c == 'T' || c == '#' || c == '*';
}

// Characters that only lay a number out; dropping them loses nothing.
bool IsLayout(char c) {
    return c == ' ' || c == '-' || c == '(' || c == ')' || c == '.' || c == '/';
}

class Reporter {
public:
    Reporter(const Contact& c, std::vector<std::string>& out) : m_out(out) {
        m_who = "contact " + std::to_string(c.source);
        if (!c.name.empty()) m_who += " \"" + Clip(c.name) + "\"";
    }
    void Problem(const std::string& what) { m_out.push_back(m_who + ": " + what); }

private:
    std::string m_who;
    std::vector<std::string>& m_out;
};

// A text field in the book's bytes, cut to its limit with a word.
std::string FitText(const std::string& utf8, std::size_t limit, std::string_view what,
                    Reporter& report) {
    int lost = 0;
    std::string bytes = Utf8ToLatin1(utf8, &lost);
    if (lost > 0) {
        report.Problem(std::string(what) + ": " + std::to_string(lost) +
                       " character(s) the handset cannot show, written as \"" +
                       Clip(Latin1ToUtf8(bytes)) + "\"");
    }
    if (bytes.size() > limit) {
        bytes.resize(limit);
        report.Problem(std::string(what) + " cut to " + std::to_string(limit) + " characters (\"" +
                       Latin1ToUtf8(bytes) + "\")");
    }
    return bytes;
}

std::string FitNumber(const std::string& text, std::string_view kind, Reporter& report) {
    std::string digits;
    bool dropped = false;
    for (char c : text) {
        if (c == 'p' || c == 't') c = static_cast<char>(c - 'a' + 'A');
        if (IsDialable(c)) {
            digits += c;
        } else if (!IsLayout(c)) {
            dropped = true;
        }
    }
    if (dropped) {
        report.Problem(std::string(kind) + " number \"" + Clip(text) + "\" written as \"" +
                       Clip(digits) + "\" (the handset dials only 0-9 P T # *)");
    }
    if (digits.size() > static_cast<std::size_t>(kNumberLen)) {
        digits.resize(kNumberLen);
        report.Problem(std::string(kind) + " number cut to 32 digits (\"" + digits + "\")");
    }
    return digits;
}

}  // namespace

std::string Clip(std::string_view s) {
    constexpr std::size_t kShown = 40;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<uint8_t>(s[i]) & 0xC0) == 0x80) continue;
        if (chars++ == kShown) return std::string(s.substr(0, i)) + "...";
    }
    return std::string(s);
}

namespace {

std::string FromUtf16(std::string_view bytes, bool bigEndian, std::vector<std::string>& problems) {
    int bad = 0;
    std::string out = Utf16ToUtf8(bytes, bigEndian, &bad);
    if (bad > 0) {
        problems.push_back("the UTF-16 text holds " + std::to_string(bad) +
                           " broken character(s), read as U+FFFD");
    }
    return out;
}

}  // namespace

std::string ContactsText(std::string_view bytes, bool latin1Fallback,
                         std::vector<std::string>& problems) {
    std::string text;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        text = FromUtf16(bytes.substr(2), bytes[0] == '\xFE', problems);
    } else {
        if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
        if (latin1Fallback && !IsUtf8(bytes)) {
            problems.push_back("the file is not UTF-8: read as Latin-1");
            text = Latin1ToUtf8(bytes);
        } else {
            text = std::string(bytes);
        }
    }
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
        } else {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
    }
    return out;
}

std::vector<Contact> ContactsFromBook(const CPBData& book) {
    std::vector<Contact> out;
    for (int i = 0; i < kEntrySlots; ++i) {
        PBEntry e;
        if (book.GetEntry(i, e) == 0) continue;
        Contact c;
        c.source = static_cast<int>(out.size()) + 1;
        c.slot = i;
        c.name = Latin1ToUtf8(TextOf(e.name));
        PBGroup g;
        if (book.GetGroup(e.group, g) != 0) c.group = Latin1ToUtf8(TextOf(g.name));
        c.secret = e.secret != 0;
        for (int n = 0; n < kNumberKinds; ++n) {
            const auto k = static_cast<std::size_t>(n);
            c.numbers[k] = Latin1ToUtf8(NumberText(e.numbers[k]));
            const int element =
                book.FindSpeedDial(static_cast<uint16_t>(i), static_cast<uint8_t>(n + kMobile));
            if (element >= 0 && !c.numbers[k].empty()) c.speedDials[k] = element + kFirstSpeedDial;
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

ContactFit FitContact(const Contact& c) {
    ContactFit fit;
    Reporter report(c, fit.problems);
    PBEntry& e = fit.entry;
    e.secret = c.secret ? 1 : 0;
    SetText(e.name, FitText(c.name, kNameLen, "name", report));
    for (int n = 0; n < kNumberKinds; ++n) {
        const auto i = static_cast<std::size_t>(n);
        if (c.numbers[i].empty()) continue;
        SetNumber(e.numbers[i],
                  FitNumber(c.numbers[i], KindName(static_cast<uint8_t>(n + kMobile)), report));
    }
    for (const std::string& what : c.leftOut)
        report.Problem(what + " left out");
    SetText(e.email, FitText(c.email, kTextLen, "e-mail", report));
    SetText(e.wireless, FitText(c.wireless, kTextLen, "wireless address", report));
    SetText(e.memo, FitText(c.memo, kTextLen, "memo", report));
    e.ringer = c.ringer.value_or(kNone16);
    e.msgRinger = c.msgRinger.value_or(kNone16);
    e.group = kEtcGroup;
    fit.group = FitText(c.group, kNameLen, "group", report);
    for (int n = 0; n < kNumberKinds; ++n) {
        const int number = c.speedDials[static_cast<std::size_t>(n)];
        if (number == 0) continue;
        if (number < kFirstSpeedDial || number > kLastSpeedDial) {
            report.Problem("speed dial " + std::to_string(number) +
                           " left out: speed dials run from 2 to 20");
        } else if (e.numbers[static_cast<std::size_t>(n)].length != 0) {
            fit.speedDials[static_cast<std::size_t>(n)] = number;
        }
    }
    if (!HasContent(e)) {
        report.Problem("left out: no number, e-mail or wireless address");
        fit.stored = false;
    }
    return fit;
}

ContactsImport ReplaceEntriesWithContacts(const std::vector<Contact>& contacts, CPBData& book) {
    ContactsImport result;
    book.ResetAllEntries();
    book.ResetSpeedDials();

    // Contacts that know their slot keep it when it is free; the others take free slots.
    std::vector<int> slots(contacts.size(), -1);
    std::set<int> used;
    for (std::size_t k = 0; k < contacts.size(); ++k) {
        const auto& hint = contacts[k].slot;
        if (hint && *hint >= 0 && *hint < kEntrySlots && used.insert(*hint).second) {
            slots[k] = *hint;
        }
    }
    int nextFree = 0;
    for (std::size_t k = 0; k < contacts.size(); ++k) {
        if (slots[k] >= 0) continue;
        while (nextFree < kEntrySlots && used.count(nextFree) != 0)
            ++nextFree;
        if (nextFree >= kEntrySlots) break;
        slots[k] = nextFree;
        used.insert(nextFree);
    }

    std::vector<PBEntry> entries;
    std::map<int, std::vector<std::pair<int, uint8_t>>> dials;  // number -> (slot, kind)
    for (std::size_t k = 0; k < contacts.size(); ++k) {
        const Contact& c = contacts[k];
        if (slots[k] < 0) {
            Reporter(c, result.problems).Problem("left out: the handset holds 300 entries");
            continue;
        }
        ContactFit fit = FitContact(c);
        result.problems.insert(result.problems.end(), fit.problems.begin(), fit.problems.end());
        if (!fit.stored) {
            used.erase(slots[k]);
            continue;
        }
        PBEntry e = fit.entry;
        e.index = static_cast<uint16_t>(slots[k]);
        if (!fit.group.empty()) {
            int found = -1;
            for (int g = 0; g < kGroupSlots && found < 0; ++g) {
                PBGroup grp;
                if (book.GetGroup(g, grp) != 0 && TextOf(grp.name) == fit.group) found = g;
            }
            for (int g = kFirstNamedGroup; g <= kLastNamedGroup && found < 0; ++g) {
                PBGroup grp;
                if (book.GetGroup(g, grp) == 0) {
                    book.SetGroup(g, fit.group);
                    found = g;
                }
            }
            if (found < 0) {
                Reporter(c, result.problems)
                    .Problem("group \"" + Clip(c.group) +
                             "\" does not fit (five named groups): filed under Etc.");
            } else {
                e.group = static_cast<uint8_t>(found);
            }
        }
        for (int n = 0; n < kNumberKinds; ++n) {
            if (const int number = fit.speedDials[static_cast<std::size_t>(n)]; number != 0) {
                dials[number].emplace_back(slots[k], static_cast<uint8_t>(n + kMobile));
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

#include "book/ContactsCsv.h"

#include <array>
#include <cctype>
#include <optional>

namespace numora {

namespace {

enum Column {
    kColSlot,
    kColName,
    kColGroup,
    kColSecret,
    kColMobile,
    kColMobileDial,
    kColHome,
    kColHomeDial,
    kColOffice,
    kColOfficeDial,
    kColPager,
    kColPagerDial,
    kColFax,
    kColFaxDial,
    kColEmail,
    kColWireless,
    kColMemo,
    kColRinger,
    kColMsgRinger,
    kColColumnCount
};

constexpr std::array<std::string_view, kColColumnCount> kHeadings = {
    "Slot",       "Name",
    "Group",      "Secret",
    "Mobile",     "Mobile Speed Dial",
    "Home",       "Home Speed Dial",
    "Office",     "Office Speed Dial",
    "Pager",      "Pager Speed Dial",
    "Fax",        "Fax Speed Dial",
    "E-mail",     "Wireless Address",
    "Memo",       "Ringer",
    "Msg. Ringer"};

std::string Quote(std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(field);
    std::string out = "\"";
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string Trim(std::string_view s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(b, s.find_last_not_of(" \t") - b + 1));
}

std::optional<int> Int(std::string_view text) {
    return ParseWholeNumber(Trim(text));
}

// RFC 4180 records: quoted fields may hold commas, quotes (doubled) and line breaks.
std::vector<std::vector<std::string>> Records(std::string_view text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    bool any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"') {
            quoted = true;
            any = true;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
            any = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            if (any || !field.empty()) {
                row.push_back(std::move(field));
                rows.push_back(std::move(row));
            }
            row.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any || !field.empty()) {
        row.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace

std::string ContactsToCsv(const std::vector<Contact>& contacts) {
    std::string out;
    for (std::size_t k = 0; k < kHeadings.size(); ++k) {
        if (k > 0) out += ',';
        out += kHeadings[k];
    }
    out += "\r\n";
    for (const Contact& c : contacts) {
        std::array<std::string, kColColumnCount> f;
        if (c.slot) f[kColSlot] = std::to_string(*c.slot);
        f[kColName] = c.name;
        f[kColGroup] = c.group;
        f[kColSecret] = c.secret ? "YES" : "NO";
        for (std::size_t n = 0; n < kNumberKinds; ++n) {
            f[kColMobile + 2 * n] = c.numbers[n];
            if (c.speedDials[n] != 0) f[kColMobileDial + 2 * n] = std::to_string(c.speedDials[n]);
        }
        f[kColEmail] = c.email;
        f[kColWireless] = c.wireless;
        f[kColMemo] = c.memo;
        if (c.ringer) f[kColRinger] = std::to_string(*c.ringer);
        if (c.msgRinger) f[kColMsgRinger] = std::to_string(*c.msgRinger);
        for (std::size_t k = 0; k < f.size(); ++k) {
            if (k > 0) out += ',';
            out += Quote(f[k]);
        }
        out += "\r\n";
    }
    return out;
}

std::vector<Contact> ContactsFromCsv(std::string_view text, std::vector<std::string>& problems) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark
    const auto rows = Records(text);
    std::vector<Contact> out;
    if (rows.empty()) return out;

    std::vector<int> columnOf(rows[0].size(), -1);
    for (std::size_t k = 0; k < rows[0].size(); ++k) {
        const std::string heading = Trim(rows[0][k]);
        for (std::size_t h = 0; h < kHeadings.size(); ++h) {
            if (SameWord(heading, kHeadings[h])) columnOf[k] = static_cast<int>(h);
        }
        if (columnOf[k] < 0 && !heading.empty()) {
            problems.push_back("column \"" + heading + "\" is not part of a phone book: left out");
        }
    }
    for (std::size_t r = 1; r < rows.size(); ++r) {
        Contact c;
        c.source = static_cast<int>(r);
        for (std::size_t k = 0; k < rows[r].size() && k < columnOf.size(); ++k) {
            const std::string& v = rows[r][k];
            const int col = columnOf[k];
            if (col < 0 || v.empty()) continue;
            switch (col) {
                case kColSlot:
                    if (const auto n = Int(v); n && *n >= 0 && *n < kEntrySlots) {
                        c.slot = *n;
                    } else {
                        c.leftOut.push_back("slot \"" + v + "\"");
                    }
                    break;
                case kColName:
                    c.name = v;
                    break;
                case kColGroup:
                    c.group = v;
                    break;
                case kColSecret: {
                    const std::string t = Trim(v);
                    c.secret = SameWord(t, "YES") || SameWord(t, "TRUE") || t == "1";
                    break;
                }
                case kColEmail:
                    c.email = v;
                    break;
                case kColWireless:
                    c.wireless = v;
                    break;
                case kColMemo:
                    c.memo = v;
                    break;
                case kColRinger:
                case kColMsgRinger: {
                    const auto n = Int(v);
                    if (!n || *n < 0 || *n > 0xFFFF) {
                        c.leftOut.push_back(std::string(kHeadings[col]) + " \"" + v + "\"");
                    } else if (col == kColRinger) {
                        c.ringer = static_cast<uint16_t>(*n);
                    } else {
                        c.msgRinger = static_cast<uint16_t>(*n);
                    }
                    break;
                }
                default: {
                    const auto n = static_cast<std::size_t>((col - kColMobile) / 2);
                    if ((col - kColMobile) % 2 == 0) {
                        c.numbers[n] = v;
                    } else if (Trim(v) != "X") {
                        const auto dial = Int(v);
                        if (dial) {
                            c.speedDials[n] = *dial;
                        } else {
                            c.leftOut.push_back("speed dial \"" + v + "\"");
                        }
                    }
                    break;
                }
            }
        }
        if (rows[r].size() > columnOf.size()) {
            c.leftOut.push_back(std::to_string(rows[r].size() - columnOf.size()) +
                                " field(s) beyond the header");
        }
        out.push_back(std::move(c));
    }
    return out;
}

}  // namespace numora

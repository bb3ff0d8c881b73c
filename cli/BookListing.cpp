#include "cli/BookListing.h"

#include <array>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "book/MediaLists.h"
#include "formats/BookJson.h"
#include "text/TextCodec.h"

namespace numora {

namespace {

constexpr std::array<const char*, kNumberKinds> kKindLabels = {"Mobile", "Home", "Office", "Pager",
                                                               "Fax"};

std::string GroupLabel(const PhoneBook& book, int g) {
    PBGroup grp;
    if (!book.GetGroup(g, grp)) return "group " + std::to_string(g) + " (not in use)";
    return g == kAllGroup ? std::string("All") : std::string(TextOf(grp.name));
}

void Line(std::string& out, const char* label, std::string_view value) {
    if (value.empty()) return;
    char buf[32];
    std::snprintf(buf, sizeof buf, "      %-17s", label);
    out += buf;
    out += value;
    out += '\n';
}

}  // namespace

std::string BookListing(const PhoneBook& book) {
    std::string out;
    out += "Entries: " + std::to_string(book.CountUsedEntries()) + " of 300 slots used\n";
    for (int i = 0; i < kEntrySlots; ++i) {
        PBEntry e;
        if (!book.GetEntry(i, e)) continue;
        char head[64];
        std::snprintf(head, sizeof head, "  %3d ", i);
        out += head;
        out += TextOf(e.name).empty() ? std::string("(no name)") : std::string(TextOf(e.name));
        out += "  [" + GroupLabel(book, e.group) + "]";
        if (e.secret != 0) out += "  secret";
        out += '\n';
        for (const NumberKind kind : kAllNumberKinds) {
            std::string value(NumberText(e.numbers[IndexOf(kind)]));
            const auto dial = book.FindSpeedDial(static_cast<uint16_t>(i), kind);
            if (!value.empty() && dial) {
                value += "  (speed dial " + std::to_string(*dial + kFirstSpeedDial) + ")";
            }
            Line(out, kKindLabels[IndexOf(kind)], value);
        }
        Line(out, "E-mail", TextOf(e.email));
        Line(out, "Wireless address", TextOf(e.wireless));
        Line(out, "Memo", TextOf(e.memo));
        if (e.ringer != kNone16) Line(out, "Ringer", TitleForCode(MediaList::Ringer, e.ringer));
        if (e.msgRinger != kNone16) {
            Line(out, "Msg. ringer", TitleForCode(MediaList::MsgRinger, e.msgRinger));
        }
        if (e.picture != kNone16) Line(out, "Picture", TitleForCode(MediaList::Graphic, e.picture));
    }
    out += "Groups\n";
    for (int g = 0; g < kGroupSlots; ++g) {
        PBGroup grp;
        if (!book.GetGroup(g, grp)) continue;
        out += "  " + std::to_string(g) + " " + std::string(TextOf(grp.name)) + ":";
        int count = 0;
        book.ForEachMember(
            g, [&](uint16_t e) { out += (count++ == 0 ? " " : ", ") + std::to_string(e); });
        if (count == 0) out += " (no members)";
        out += '\n';
    }
    out += "SMS groups\n";
    for (int k = 0; k < kSmsGroupSlots; ++k) {
        PBSmsGroup s;
        if (!book.GetSmsGroup(k, s)) continue;
        out += "  " + std::to_string(k) + " " + std::string(TextOf(s.name)) + '\n';
    }
    out += "Speed dials\n";
    for (int j = 0; j < kSpeedDialSlots; ++j) {
        const PBSpeedDial& d = book.SpeedDial(j);
        if (d.entry == kNone16) continue;
        char buf[64];
        std::snprintf(buf, sizeof buf, "  %2d  entry %d ", j + kFirstSpeedDial, d.entry);
        out += buf;
        const auto kind = KindOfByte(d.kind);
        out += kind ? std::string(KindName(*kind)) : "kind " + std::to_string(d.kind);
        PBEntry e;
        if (book.GetEntry(d.entry, e)) {
            out += "  " + std::string(TextOf(e.name));
            if (kind) {
                const std::string_view number = NumberText(e.numbers[IndexOf(*kind)]);
                if (!number.empty()) out += " " + std::string(number);
            }
        } else {
            out += "  (empty slot)";
        }
        out += '\n';
    }
    return out;
}

bool StdoutIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdout)) != 0;
#else
    return isatty(fileno(stdout)) != 0;
#endif
}

void PrintUtf8(std::string_view utf8) {
    if (!StdoutIsTerminal()) {
        std::fwrite(utf8.data(), 1, utf8.size(), stdout);
        return;
    }
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto b = static_cast<unsigned char>(utf8[i]);
        // C1 controls are two bytes in UTF-8: U+0080..U+009F.
        const bool c1 =
            b == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0;
        if (c1) b = static_cast<unsigned char>(utf8[++i]);
        if ((b < 0x20 && b != '\n') || b == 0x7F || c1) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        } else {
            out += static_cast<char>(b);
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintBookText(std::string_view latin1) {
    PrintUtf8(Latin1ToUtf8(latin1));
}

}  // namespace numora

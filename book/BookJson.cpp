#include "book/BookJson.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <utility>

#include "book/PbFile.h"
#include "book/Records.h"

namespace numora {

namespace {

constexpr std::array<std::string_view, kNumberKinds> kKindNames = {"mobile", "home", "office",
                                                                   "pager", "fax"};

// ---------------------------------------------------------------------------------------------
// Writing

void AppendLatin1(std::string& out, std::string_view bytes) {
    out += '"';
    for (const char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b == '"' || b == '\\') {
            out += '\\';
            out += c;
        } else if (b < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        } else if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    out += '"';
}

void Key(std::string& out, std::string_view key) {
    out += '"';
    out += key;
    out += "\":";
}

// ---------------------------------------------------------------------------------------------
// Reading: a small parser for the shape the writer produces (and any hand-written variant of
// it). Text becomes bytes again: each character must lie in Latin-1.

struct JValue {
    enum Type { Null, Bool, Number, String, Array, Object } type = Null;
    bool boolean = false;
    int64_t number = 0;
    std::string text;
    std::vector<JValue> items;      // an array's items, or an object's values
    std::vector<std::string> keys;  // an object's keys, one per value

    const JValue* Find(std::string_view key) const {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (keys[k] == key) return &items[k];
        }
        return nullptr;
    }
};

class JsonParser {
public:
    explicit JsonParser(std::string_view s) : m_s(s) {}

    bool ParseDocument(JValue& out) {
        if (!ParseValue(out, 0)) return false;
        SkipSpace();
        if (m_i != m_s.size()) return Fail("unexpected text after the book");
        return true;
    }

    const std::string& Error() const { return m_error; }

private:
    static constexpr int kMaxDepth = 32;

    bool Fail(std::string why) {
        if (m_error.empty()) m_error = "JSON, at byte " + std::to_string(m_i) + ": " + why;
        return false;
    }

    void SkipSpace() {
        while (m_i < m_s.size() &&
               (m_s[m_i] == ' ' || m_s[m_i] == '\t' || m_s[m_i] == '\n' || m_s[m_i] == '\r')) {
            ++m_i;
        }
    }

    bool Literal(std::string_view word) {
        if (m_s.substr(m_i, word.size()) != word) return Fail("unknown word");
        m_i += word.size();
        return true;
    }

    bool ParseValue(JValue& v, int depth) {
        if (depth > kMaxDepth) return Fail("nested too deeply");
        SkipSpace();
        if (m_i >= m_s.size()) return Fail("unexpected end");
        const char c = m_s[m_i];
        if (c == '{') return ParseObject(v, depth);
        if (c == '[') return ParseArray(v, depth);
        if (c == '"') {
            v.type = JValue::String;
            return ParseString(v.text);
        }
        if (c == 't') {
            v.type = JValue::Bool;
            v.boolean = true;
            return Literal("true");
        }
        if (c == 'f') {
            v.type = JValue::Bool;
            return Literal("false");
        }
        if (c == 'n') {
            v.type = JValue::Null;
            return Literal("null");
        }
        return ParseNumber(v);
    }

    bool ParseObject(JValue& v, int depth) {
        v.type = JValue::Object;
        ++m_i;
        SkipSpace();
        if (m_i < m_s.size() && m_s[m_i] == '}') {
            ++m_i;
            return true;
        }
        for (;;) {
            SkipSpace();
            if (m_i >= m_s.size() || m_s[m_i] != '"') return Fail("expected a key");
            std::string key;
            if (!ParseString(key)) return false;
            SkipSpace();
            if (m_i >= m_s.size() || m_s[m_i] != ':') return Fail("expected ':'");
            ++m_i;
            JValue item;
            if (!ParseValue(item, depth + 1)) return false;
            v.keys.push_back(std::move(key));
            v.items.push_back(std::move(item));
            SkipSpace();
            if (m_i < m_s.size() && m_s[m_i] == ',') {
                ++m_i;
                continue;
            }
            if (m_i < m_s.size() && m_s[m_i] == '}') {
                ++m_i;
                return true;
            }
            return Fail("expected ',' or '}'");
        }
    }

    bool ParseArray(JValue& v, int depth) {
        v.type = JValue::Array;
        ++m_i;
        SkipSpace();
        if (m_i < m_s.size() && m_s[m_i] == ']') {
            ++m_i;
            return true;
        }
        for (;;) {
            JValue item;
            if (!ParseValue(item, depth + 1)) return false;
            v.items.push_back(std::move(item));
            SkipSpace();
            if (m_i < m_s.size() && m_s[m_i] == ',') {
                ++m_i;
                continue;
            }
            if (m_i < m_s.size() && m_s[m_i] == ']') {
                ++m_i;
                return true;
            }
            return Fail("expected ',' or ']'");
        }
    }

    bool ParseNumber(JValue& v) {
        v.type = JValue::Number;
        bool negative = false;
        if (m_i < m_s.size() && m_s[m_i] == '-') {
            negative = true;
            ++m_i;
        }
        const std::size_t start = m_i;
        int64_t n = 0;
        while (m_i < m_s.size() && m_s[m_i] >= '0' && m_s[m_i] <= '9') {
            n = n * 10 + (m_s[m_i] - '0');
            if (n > 0xFFFFFFFFLL) return Fail("number too large");
            ++m_i;
        }
        if (m_i == start) return Fail("unexpected character");
        if (m_i < m_s.size() && (m_s[m_i] == '.' || m_s[m_i] == 'e' || m_s[m_i] == 'E')) {
            return Fail("numbers must be whole");
        }
        v.number = negative ? -n : n;
        return true;
    }

    bool Hex4(uint32_t& cp) {
        if (m_i + 4 > m_s.size()) return Fail("short \\u escape");
        cp = 0;
        for (int k = 0; k < 4; ++k) {
            const char h = m_s[m_i++];
            cp <<= 4;
            if (h >= '0' && h <= '9') {
                cp |= static_cast<uint32_t>(h - '0');
            } else if (h >= 'a' && h <= 'f') {
                cp |= static_cast<uint32_t>(h - 'a' + 10);
            } else if (h >= 'A' && h <= 'F') {
                cp |= static_cast<uint32_t>(h - 'A' + 10);
            } else {
                return Fail("bad \\u escape");
            }
        }
        return true;
    }

    bool PutLatin1(std::string& out, uint32_t cp) {
        if (cp > 0xFF) return Fail("character U+" + std::to_string(cp) + " is not Latin-1");
        out += static_cast<char>(cp);
        return true;
    }

    bool ParseString(std::string& out) {
        ++m_i;  // opening quote
        while (m_i < m_s.size()) {
            const auto c = static_cast<uint8_t>(m_s[m_i]);
            if (c == '"') {
                ++m_i;
                return true;
            }
            if (c == '\\') {
                if (++m_i >= m_s.size()) break;
                const char e = m_s[m_i++];
                uint32_t cp = 0;
                switch (e) {
                    case '"':
                        cp = '"';
                        break;
                    case '\\':
                        cp = '\\';
                        break;
                    case '/':
                        cp = '/';
                        break;
                    case 'b':
                        cp = '\b';
                        break;
                    case 'f':
                        cp = '\f';
                        break;
                    case 'n':
                        cp = '\n';
                        break;
                    case 'r':
                        cp = '\r';
                        break;
                    case 't':
                        cp = '\t';
                        break;
                    case 'u':
                        if (!Hex4(cp)) return false;
                        break;
                    default:
                        return Fail("bad escape");
                }
                if (!PutLatin1(out, cp)) return false;
                continue;
            }
            if (c < 0x20) return Fail("control character in a string");
            if (c < 0x80) {
                out += static_cast<char>(c);
                ++m_i;
                continue;
            }
            // UTF-8: only two-byte forms can carry Latin-1 characters.
            if ((c & 0xE0) == 0xC0 && m_i + 1 < m_s.size() &&
                (static_cast<uint8_t>(m_s[m_i + 1]) & 0xC0) == 0x80) {
                const uint32_t cp =
                    ((c & 0x1Fu) << 6) | (static_cast<uint8_t>(m_s[m_i + 1]) & 0x3Fu);
                m_i += 2;
                if (cp < 0x80) return Fail("overlong UTF-8");
                if (!PutLatin1(out, cp)) return false;
                continue;
            }
            return Fail("character beyond Latin-1 or bad UTF-8");
        }
        return Fail("unterminated string");
    }

    std::string_view m_s;
    std::size_t m_i = 0;
    std::string m_error;
};

// ---------------------------------------------------------------------------------------------
// From JSON values to file records

const std::vector<JValue>& Items(const JValue* list) {
    static const std::vector<JValue> kNone;
    return list != nullptr ? list->items : kNone;
}

class BookReader {
public:
    explicit BookReader(JsonImport& result) : m_result(result) {}

    bool Read(const JValue& root, std::vector<uint8_t>& bytes) {
        if (root.type != JValue::Object) return Fail("the book must be a JSON object");
        std::array<std::string, kSmsGroupSlots> sms{};
        std::array<bool, kSmsGroupSlots> smsSeen{};
        std::map<int, PBGroup> groups;
        std::map<int, std::vector<int>> members;
        std::map<int, PBEntry> entries;
        std::array<PBSpeedDial, kSpeedDialSlots> dials{};

        const JValue* list = nullptr;
        if (!Array(root, "smsGroups", list)) return false;
        for (const JValue& v : Items(list)) {
            int slot = 0;
            std::string name;
            if (!Object(v, "smsGroups") || !Int(v, "slot", 0, kSmsGroupSlots - 1, slot, true) ||
                !Text(v, "name", kNameLen, name)) {
                return false;
            }
            if (smsSeen[static_cast<std::size_t>(slot)]) return Duplicate("SMS group", slot);
            smsSeen[static_cast<std::size_t>(slot)] = true;
            sms[static_cast<std::size_t>(slot)] = name;
        }
        if (!Array(root, "groups", list)) return false;
        for (const JValue& v : Items(list)) {
            int slot = 0;
            std::string name;
            if (!Object(v, "groups") || !Int(v, "slot", 0, kGroupSlots - 1, slot, true) ||
                !Text(v, "name", kNameLen, name)) {
                return false;
            }
            if (groups.count(slot) != 0) return Duplicate("group", slot);
            if (name.empty()) return Fail("group " + std::to_string(slot) + " has no name");
            PBGroup g;
            g.id = static_cast<uint8_t>(slot);
            SetText(g.name, name);
            groups[slot] = g;
            const JValue* m = v.Find("members");
            if (m != nullptr) {
                if (m->type != JValue::Array) return Fail("group members must be a list");
                for (const JValue& e : m->items) {
                    if (e.type != JValue::Number || e.number < 0 || e.number >= kEntrySlots) {
                        return Fail("group " + std::to_string(slot) +
                                    ": members must be entry slots 0 to 299");
                    }
                    members[slot].push_back(static_cast<int>(e.number));
                }
            }
        }
        if (!Array(root, "entries", list)) return false;
        for (const JValue& v : Items(list)) {
            PBEntry e;
            if (!ReadEntry(v, e)) return false;
            if (entries.count(e.index) != 0) return Duplicate("entry", e.index);
            entries[e.index] = e;
        }
        if (!Array(root, "speedDials", list)) return false;
        std::array<bool, kSpeedDialSlots> dialSeen{};
        for (const JValue& v : Items(list)) {
            int number = 0;
            int entry = 0;
            if (!Object(v, "speedDials") ||
                !Int(v, "number", kFirstSpeedDial, kLastSpeedDial, number, true) ||
                !Int(v, "entry", 0, 0xFFFF, entry, true)) {
                return false;
            }
            uint8_t kind = 0;
            if (!Kind(v, kind)) return false;
            const auto k = static_cast<std::size_t>(number - kFirstSpeedDial);
            if (dialSeen[k]) return Duplicate("speed dial", number);
            dialSeen[k] = true;
            dials[k] = PBSpeedDial{static_cast<uint16_t>(entry), kind};
        }

        // Check each group's member list against the entries' own groups.
        std::set<int> placed;
        for (const auto& [g, list2] : members) {
            for (const int slot : list2) {
                const auto it = entries.find(slot);
                if (it == entries.end()) {
                    return Fail("group " + std::to_string(g) + " lists entry " +
                                std::to_string(slot) + ", which is not among the entries");
                }
                if (it->second.group != g) {
                    return Fail("group " + std::to_string(g) + " lists entry " +
                                std::to_string(slot) + ", which belongs to group " +
                                std::to_string(it->second.group));
                }
                if (!placed.insert(slot).second) {
                    return Fail("group " + std::to_string(g) + " lists entry " +
                                std::to_string(slot) + " twice");
                }
            }
        }

        // The records in the order a saved file has them; entries that no member list names
        // follow in slot order and join the tail of their group.
        CPBData stage;
        for (int k = 0; k < kSmsGroupSlots; ++k) {
            stage.SetSmsGroupName(k, sms[static_cast<std::size_t>(k)]);
            const auto r = stage.MakeSmsGroupItem(k);
            bytes.insert(bytes.end(), r.begin(), r.end());
            bytes.resize(bytes.size() + pbfile::kSmsGroupSize - r.size(), 0);
        }
        std::array<uint8_t, entryrec::kSize> record{};
        auto putEntry = [&](const PBEntry& e) {
            if (!HasContent(e)) {
                m_result.warnings.push_back("entry " + std::to_string(e.index) +
                                            " has no number, e-mail or wireless address and "
                                            "is left out");
                return;
            }
            WriteEntryRecord(e, record);
            bytes.insert(bytes.end(), record.begin(), record.end());
        };
        for (const auto& [slot, g] : groups) {
            WriteGroupRecord(slot, g, 0, record);
            bytes.insert(bytes.end(), record.begin(), record.begin() + pbfile::kGroupSize);
            for (const int e : members[slot])
                putEntry(entries[e]);
        }
        for (const auto& [slot, e] : entries) {
            if (placed.count(slot) == 0) putEntry(e);
        }
        for (int j = 0; j < kSpeedDialSlots; ++j) {
            const PBSpeedDial& d = dials[static_cast<std::size_t>(j)];
            stage.SetSpeedDial(j + kFirstSpeedDial, d.entry, d.kind);
            const auto r = stage.MakeSpeedDialItem(j, j);
            bytes.insert(bytes.end(), r.begin(), r.end());
        }
        return true;
    }

private:
    static bool HasContent(const PBEntry& e) {
        for (const PBNumber& n : e.numbers) {
            if (n.length != 0) return true;
        }
        return e.email[0] != '\0' || e.wireless[0] != '\0';
    }

    bool Fail(std::string why) {
        m_result.error = std::move(why);
        return false;
    }

    bool Duplicate(std::string_view what, int slot) {
        return Fail(std::string(what) + " " + std::to_string(slot) + " appears twice");
    }

    bool Array(const JValue& root, std::string_view key, const JValue*& out) {
        out = root.Find(key);
        if (out != nullptr && out->type != JValue::Array) {
            return Fail("\"" + std::string(key) + "\" must be a list");
        }
        return true;
    }

    bool Object(const JValue& v, std::string_view where) {
        if (v.type == JValue::Object) return true;
        return Fail("each item of \"" + std::string(where) + "\" must be an object");
    }

    bool Int(const JValue& obj, std::string_view key, int lo, int hi, int& out, bool required) {
        const JValue* v = obj.Find(key);
        if (v == nullptr) {
            if (required) return Fail("\"" + std::string(key) + "\" is missing");
            return true;
        }
        if (v->type != JValue::Number || v->number < lo || v->number > hi) {
            return Fail("\"" + std::string(key) + "\" must be a whole number from " +
                        std::to_string(lo) + " to " + std::to_string(hi));
        }
        out = static_cast<int>(v->number);
        return true;
    }

    bool Text(const JValue& obj, std::string_view key, std::size_t limit, std::string& out) {
        const JValue* v = obj.Find(key);
        if (v == nullptr) return true;
        if (v->type != JValue::String) return Fail("\"" + std::string(key) + "\" must be text");
        if (v->text.size() > limit) {
            return Fail("\"" + std::string(key) + "\" \"" + v->text + "\" is longer than " +
                        std::to_string(limit) + " characters");
        }
        out = v->text;
        return true;
    }

    bool Kind(const JValue& obj, uint8_t& kind) {
        const JValue* v = obj.Find("kind");
        if (v == nullptr) return Fail("\"kind\" is missing");
        if (v->type == JValue::Number && v->number >= 0 && v->number <= 0xFF) {
            kind = static_cast<uint8_t>(v->number);
            return true;
        }
        if (v->type == JValue::String) {
            for (std::size_t k = 0; k < kKindNames.size(); ++k) {
                if (v->text == kKindNames[k]) {
                    kind = static_cast<uint8_t>(k + kMobile);
                    return true;
                }
            }
        }
        return Fail("\"kind\" must be one of mobile, home, office, pager, fax");
    }

    bool ReadEntry(const JValue& v, PBEntry& e) {
        if (!Object(v, "entries")) return false;
        int slot = 0;
        int group = kEtcGroup;
        if (!Int(v, "slot", 0, kEntrySlots - 1, slot, true) ||
            !Int(v, "group", 0, kGroupSlots - 1, group, false)) {
            return false;
        }
        e.index = static_cast<uint16_t>(slot);
        e.group = static_cast<uint8_t>(group);
        if (const JValue* s = v.Find("secret")) {
            if (s->type != JValue::Bool) return Fail("\"secret\" must be true or false");
            e.secret = s->boolean ? 1 : 0;
        }
        std::string text;
        if (!Text(v, "name", kNameLen, text)) return false;
        SetText(e.name, text);
        struct Field {
            std::string_view key;
            std::array<char, kTextLen + 1>* field;
        };
        for (const Field& f :
             {Field{"email", &e.email}, Field{"wireless", &e.wireless}, Field{"memo", &e.memo}}) {
            text.clear();
            if (!Text(v, f.key, kTextLen, text)) return false;
            SetText(*f.field, text);
        }
        if (const JValue* numbers = v.Find("numbers")) {
            if (!Object(*numbers, "numbers")) return false;
            for (std::size_t k = 0; k < kKindNames.size(); ++k) {
                text.clear();
                if (!Text(*numbers, kKindNames[k], kNumberLen, text)) return false;
                SetNumber(e.numbers[k], text);
            }
        }
        int code = kNone16;
        if (!Int(v, "ringer", 0, 0xFFFF, code, false)) return false;
        e.ringer = static_cast<uint16_t>(code);
        code = kNone16;
        if (!Int(v, "msgRinger", 0, 0xFFFF, code, false)) return false;
        e.msgRinger = static_cast<uint16_t>(code);
        code = kNone16;
        if (!Int(v, "picture", 0, 0xFFFF, code, false)) return false;
        e.picture = static_cast<uint16_t>(code);
        return true;
    }

    JsonImport& m_result;
};

}  // namespace

std::string_view KindName(uint8_t kind) {
    if (kind < kMobile || kind > kFax) return {};
    return kKindNames[static_cast<std::size_t>(kind - kMobile)];
}

std::string BookToJson(const CPBData& book) {
    std::string out = "{\"entries\":[";
    bool first = true;
    for (int i = 0; i < kEntrySlots; ++i) {
        PBEntry e;
        if (book.GetEntry(i, e) == 0) continue;
        if (!first) out += ',';
        first = false;
        out += "{\"slot\":" + std::to_string(i) + ',';
        Key(out, "name");
        AppendLatin1(out, TextOf(e.name));
        out += ",\"group\":" + std::to_string(e.group);
        out += std::string(",\"secret\":") + (e.secret != 0 ? "true" : "false");
        out += ",\"numbers\":{";
        for (std::size_t k = 0; k < kKindNames.size(); ++k) {
            if (k > 0) out += ',';
            Key(out, kKindNames[k]);
            AppendLatin1(out, NumberText(e.numbers[k]));
        }
        out += "},";
        Key(out, "email");
        AppendLatin1(out, TextOf(e.email));
        out += ',';
        Key(out, "wireless");
        AppendLatin1(out, TextOf(e.wireless));
        out += ',';
        Key(out, "memo");
        AppendLatin1(out, TextOf(e.memo));
        out += ",\"ringer\":" + std::to_string(e.ringer);
        out += ",\"msgRinger\":" + std::to_string(e.msgRinger);
        out += ",\"picture\":" + std::to_string(e.picture) + '}';
    }
    out += "],\"groups\":[";
    first = true;
    for (int g = 0; g < kGroupSlots; ++g) {
        PBGroup grp;
        if (book.GetGroup(g, grp) == 0) continue;
        if (!first) out += ',';
        first = false;
        out += "{\"slot\":" + std::to_string(g) + ',';
        Key(out, "name");
        AppendLatin1(out, TextOf(grp.name));
        out += ",\"members\":[";
        bool firstMember = true;
        book.ForEachMember(g, [&](uint16_t e) {
            if (!firstMember) out += ',';
            firstMember = false;
            out += std::to_string(e);
        });
        out += "]}";
    }
    out += "],\"smsGroups\":[";
    first = true;
    for (int k = 0; k < kSmsGroupSlots; ++k) {
        PBSmsGroup s;
        if (book.GetSmsGroup(k, s) == 0) continue;
        if (!first) out += ',';
        first = false;
        out += "{\"slot\":" + std::to_string(k) + ',';
        Key(out, "name");
        AppendLatin1(out, TextOf(s.name));
        out += '}';
    }
    out += "],\"speedDials\":[";
    first = true;
    for (int j = 0; j < kSpeedDialSlots; ++j) {
        const PBSpeedDial& d = book.SpeedDial(j);
        if (d.entry == kNone16) continue;
        if (!first) out += ',';
        first = false;
        out += "{\"number\":" + std::to_string(j + kFirstSpeedDial);
        out += ",\"entry\":" + std::to_string(d.entry) + ",\"kind\":";
        const std::string_view kind = KindName(d.kind);
        if (kind.empty()) {
            out += std::to_string(d.kind);
        } else {
            out += '"';
            out += kind;
            out += '"';
        }
        out += '}';
    }
    out += "]}";
    return out;
}

JsonImport JsonToPbBytes(std::string_view text, std::vector<uint8_t>& bytes) {
    JsonImport result;
    JValue root;
    JsonParser parser(text);
    if (!parser.ParseDocument(root)) {
        result.error = parser.Error();
        return result;
    }
    BookReader reader(result);
    std::vector<uint8_t> out;
    if (!reader.Read(root, out)) return result;
    bytes = std::move(out);
    result.ok = true;
    return result;
}

JsonImport BookFromJson(std::string_view text, CPBData& book) {
    std::vector<uint8_t> bytes;
    JsonImport result = JsonToPbBytes(text, bytes);
    if (!result.ok) return result;
    // A fresh book: the JSON says everything, nothing of the old book stays behind.
    IMessageSink* sink = book.MessageSink();
    book = CPBData();
    book.SetMessageSink(sink);
    ReadPbRecords(book, bytes, nullptr);
    return result;
}

}  // namespace numora

#include "formats/BookJson.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <utility>

#include "book/PbFile.h"
#include "book/Records.h"
#include "formats/Contacts.h"
#include "text/TextCodec.h"

namespace numora {

namespace {

constexpr std::array<std::string_view, kNumberKinds> kKindNames = {"mobile", "home", "office",
                                                                   "pager", "fax"};
constexpr int kMaxDepth = 32;

// ---------------------------------------------------------------------------------------------
// Reading: the library parses; its events build a small tree that remembers where each value
// starts, so that every complaint about the book can name a line and column.

struct JNode {
    enum Type { Null, Bool, Int, Float, String, Array, Object } type = Null;
    bool boolean = false;
    int64_t number = 0;
    std::string text;               // UTF-8
    std::vector<JNode> items;       // an array's items, or an object's values
    std::vector<std::string> keys;  // an object's keys, one per value
    std::vector<std::size_t> keyAt;
    std::size_t at = 0;  // byte offset of the value in the text

    const JNode* Find(std::string_view key) const {
        const auto it = std::find(keys.begin(), keys.end(), key);
        return it == keys.end() ? nullptr : &items[static_cast<std::size_t>(it - keys.begin())];
    }
};

std::string Where(std::string_view text, std::size_t at) {
    at = std::min(at, text.size());
    const std::size_t lineStart = text.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t line =
        1 + static_cast<std::size_t>(
                std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
    const std::size_t column =
        lineStart == std::string_view::npos || at == 0 ? at + 1 : at - lineStart;
    return "JSON, line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
}

// Walks the text for the library and remembers how far it has read.
class CountingIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator() = default;
    CountingIterator(const char* p, const char** furthest) : m_p(p), m_furthest(furthest) {}
    reference operator*() const { return *m_p; }
    CountingIterator& operator++() {
        ++m_p;
        if (m_furthest != nullptr && m_p > *m_furthest) *m_furthest = m_p;
        return *this;
    }
    CountingIterator operator++(int) {
        CountingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const CountingIterator& other) const { return m_p == other.m_p; }

private:
    const char* m_p = nullptr;
    const char** m_furthest = nullptr;
};

class TreeBuilder : public nlohmann::json_sax<nlohmann::json> {
public:
    TreeBuilder(std::string_view text, const char* const* furthest)
        : m_text(text), m_furthest(furthest) {}

    bool null() override { return Put(JNode{}); }
    bool boolean(bool v) override {
        JNode n;
        n.type = JNode::Bool;
        n.boolean = v;
        return Put(std::move(n));
    }
    bool number_integer(number_integer_t v) override {
        JNode n;
        n.type = JNode::Int;
        n.number = v;
        return Put(std::move(n), true);
    }
    bool number_unsigned(number_unsigned_t v) override {
        JNode n;
        n.type = JNode::Int;
        // A number beyond int64 is held as its largest, above every range the book reads.
        n.number = static_cast<int64_t>(std::min<number_unsigned_t>(v, INT64_MAX));
        return Put(std::move(n), true);
    }
    bool number_float(number_float_t, const string_t&) override {
        JNode n;
        n.type = JNode::Float;
        return Put(std::move(n), true);
    }
    bool string(string_t& v) override {
        const std::size_t at = Start();
        if (v.find('\0') != std::string::npos) return Fail(at, "text may not hold \\u0000");
        JNode n;
        n.type = JNode::String;
        n.text = std::move(v);
        return Put(std::move(n));
    }
    bool binary(binary_t&) override { return Fail(Start(), "unexpected binary value"); }
    bool start_object(std::size_t) override { return Open(JNode::Object); }
    bool start_array(std::size_t) override { return Open(JNode::Array); }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }
    bool key(string_t& k) override {
        const std::size_t at = Start();
        JNode& object = *m_stack.back();
        if (std::find(object.keys.begin(), object.keys.end(), k) != object.keys.end()) {
            return Fail(at, "the key \"" + k + "\" appears twice in one object");
        }
        object.keys.push_back(k);
        object.keyAt.push_back(at);
        m_scanFrom = Read();
        return true;
    }
    bool parse_error(std::size_t, const std::string&,
                     const nlohmann::detail::exception& ex) override {
        std::string why = ex.what();
        // The library's text names its own position first; ours replaces it.
        if (const auto column = why.find("column "); column != std::string::npos) {
            if (const auto colon = why.find(": ", column); colon != std::string::npos) {
                why.erase(0, colon + 2);
            }
        }
        const std::size_t read = Read();
        return Fail(read == 0 ? 0 : read - 1, why);
    }

    JNode& Root() { return m_root; }
    const std::string& Error() const { return m_error; }

private:
    std::size_t Read() const { return static_cast<std::size_t>(*m_furthest - m_text.data()); }

    // Where the value just read starts: the first character after the previous one that is
    // no space or separator.
    std::size_t Start() const {
        std::size_t at = m_scanFrom;
        while (at < m_text.size() &&
               (m_text[at] == ' ' || m_text[at] == '\t' || m_text[at] == '\n' ||
                m_text[at] == '\r' || m_text[at] == ',' || m_text[at] == ':')) {
            ++at;
        }
        return at;
    }

    bool Fail(std::size_t at, const std::string& why) {
        if (m_error.empty()) m_error = Where(m_text, at) + why;
        return false;
    }

    JNode* Add(JNode&& n) {
        if (m_stack.empty()) {
            m_root = std::move(n);
            return &m_root;
        }
        m_stack.back()->items.push_back(std::move(n));
        return &m_stack.back()->items.back();
    }

    // A number is known only once the character after it is read.
    bool Put(JNode&& n, bool number = false) {
        n.at = Start();
        Add(std::move(n));
        m_scanFrom = number ? Read() - 1 : Read();
        return true;
    }

    bool Open(JNode::Type type) {
        JNode n;
        n.type = type;
        n.at = Start();
        if (m_stack.size() >= kMaxDepth) return Fail(n.at, "nested too deeply");
        m_stack.push_back(Add(std::move(n)));
        m_scanFrom = Read();
        return true;
    }

    bool Close() {
        m_stack.pop_back();
        m_scanFrom = Read();
        return true;
    }

    std::string_view m_text;
    const char* const* m_furthest;
    JNode m_root;
    std::vector<JNode*> m_stack;
    std::size_t m_scanFrom = 0;
    std::string m_error;
};

bool ParseJson(std::string_view text, JNode& root, std::string& error) {
    const char* furthest = text.data();
    TreeBuilder builder(text, &furthest);
    const CountingIterator first(text.data(), &furthest);
    const CountingIterator last(text.data() + text.size(), nullptr);
    const bool ok = nlohmann::json::sax_parse(first, last, &builder);
    if (ok) {
        root = std::move(builder.Root());
        return true;
    }
    error = builder.Error().empty() ? Where(text, 0) + "not JSON" : builder.Error();
    return false;
}

std::string CodePoint(uint32_t cp) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
    return buf;
}

// ---------------------------------------------------------------------------------------------
// From the tree to file records

struct JsonBook {
    std::array<std::string, kSmsGroupSlots> sms{};
    std::array<bool, kSmsGroupSlots> smsSeen{};
    std::map<int, PBGroup> groups;
    std::map<int, std::vector<std::pair<int, const JNode*>>> members;  // slot -> (entry, where)
    std::map<int, PBEntry> entries;
    std::array<PBSpeedDial, kSpeedDialSlots> dials{};
    std::array<bool, kSpeedDialSlots> dialSeen{};
};

class BookReader {
public:
    BookReader(std::string_view text, JsonImport& result) : m_text(text), m_result(result) {}

    bool Read(const JNode& root, std::vector<uint8_t>& bytes) {
        if (root.type != JNode::Object) return Fail(root, "the book must be a JSON object");
        Unknown(root, {"entries", "groups", "smsGroups", "speedDials"});
        JsonBook book;
        if (!ReadSmsGroups(root, book) || !ReadGroups(root, book) || !ReadEntries(root, book) ||
            !ReadSpeedDials(root, book) || !CheckMemberLists(book)) {
            return false;
        }
        LayOut(book, bytes);
        return true;
    }

private:
    bool Fail(const JNode& at, const std::string& why) {
        m_result.error = Where(m_text, at.at) + why;
        return false;
    }

    // Keys the book does not know are reported, not silently dropped.
    void Unknown(const JNode& object, std::initializer_list<std::string_view> known) {
        for (std::size_t k = 0; k < object.keys.size(); ++k) {
            if (std::find(known.begin(), known.end(), object.keys[k]) == known.end()) {
                m_result.warnings.push_back(Where(m_text, object.keyAt[k]) + "the key \"" +
                                            object.keys[k] + "\" is not part of a book: left out");
            }
        }
    }

    bool List(const JNode& root, std::string_view key, const JNode*& out) {
        out = root.Find(key);
        if (out != nullptr && out->type != JNode::Array) {
            return Fail(*out, "\"" + std::string(key) + "\" must be a list");
        }
        return true;
    }

    bool Object(const JNode& v, std::string_view where) {
        if (v.type == JNode::Object) return true;
        return Fail(v, "each item of \"" + std::string(where) + "\" must be an object");
    }

    bool Int(const JNode& obj, std::string_view key, int lo, int hi, int& out, bool required) {
        const JNode* v = obj.Find(key);
        if (v == nullptr) {
            if (required) return Fail(obj, "\"" + std::string(key) + "\" is missing");
            return true;
        }
        const std::string range = " from " + std::to_string(lo) + " to " + std::to_string(hi);
        if (v->type == JNode::Float) {
            return Fail(*v, "\"" + std::string(key) + "\": numbers must be whole," + range);
        }
        if (v->type != JNode::Int || v->number < lo || v->number > hi) {
            return Fail(*v, "\"" + std::string(key) + "\" must be a whole number" + range);
        }
        out = static_cast<int>(v->number);
        return true;
    }

    // Text becomes the book's bytes again: each character must lie in Latin-1.
    bool Text(const JNode& obj, std::string_view key, std::size_t limit, std::string& out) {
        const JNode* v = obj.Find(key);
        if (v == nullptr) return true;
        if (v->type != JNode::String) return Fail(*v, "\"" + std::string(key) + "\" must be text");
        std::string bytes;
        for (std::size_t i = 0; i < v->text.size();) {
            const char32_t cp = NextCodePoint(v->text, i);
            if (cp > 0xFF) {
                return Fail(*v, "\"" + std::string(key) + "\": the character " + CodePoint(cp) +
                                    " is not Latin-1");
            }
            bytes += static_cast<char>(cp);
        }
        if (bytes.size() > limit) {
            return Fail(*v, "\"" + std::string(key) + "\" \"" + v->text + "\" is longer than " +
                                std::to_string(limit) + " characters");
        }
        out = std::move(bytes);
        return true;
    }

    bool Duplicate(const JNode& at, std::string_view what, int slot) {
        return Fail(at, std::string(what) + " " + std::to_string(slot) + " appears twice");
    }

    bool ReadSmsGroups(const JNode& root, JsonBook& book) {
        const JNode* list = nullptr;
        if (!List(root, "smsGroups", list) || list == nullptr) return list == nullptr;
        for (const JNode& v : list->items) {
            int slot = 0;
            std::string name;
            if (!Object(v, "smsGroups") || !Int(v, "slot", 0, kSmsGroupSlots - 1, slot, true) ||
                !Text(v, "name", kNameLen, name)) {
                return false;
            }
            Unknown(v, {"slot", "name"});
            const auto k = static_cast<std::size_t>(slot);
            if (book.smsSeen[k]) return Duplicate(v, "SMS group", slot);
            book.smsSeen[k] = true;
            book.sms[k] = name;
        }
        return true;
    }

    bool ReadMembers(const JNode& group, int slot, JsonBook& book) {
        const JNode* m = group.Find("members");
        if (m == nullptr) return true;
        if (m->type != JNode::Array) return Fail(*m, "group members must be a list");
        for (const JNode& e : m->items) {
            if (e.type != JNode::Int || e.number < 0 || e.number >= kEntrySlots) {
                return Fail(
                    e, "group " + std::to_string(slot) + ": members must be entry slots 0 to 299");
            }
            book.members[slot].emplace_back(static_cast<int>(e.number), &e);
        }
        return true;
    }

    bool ReadGroups(const JNode& root, JsonBook& book) {
        const JNode* list = nullptr;
        if (!List(root, "groups", list) || list == nullptr) return list == nullptr;
        for (const JNode& v : list->items) {
            int slot = 0;
            std::string name;
            if (!Object(v, "groups") || !Int(v, "slot", 0, kGroupSlots - 1, slot, true) ||
                !Text(v, "name", kNameLen, name)) {
                return false;
            }
            Unknown(v, {"slot", "name", "members"});
            if (book.groups.count(slot) != 0) return Duplicate(v, "group", slot);
            if (name.empty()) return Fail(v, "group " + std::to_string(slot) + " has no name");
            PBGroup g;
            g.id = static_cast<uint8_t>(slot);
            SetText(g.name, name);
            book.groups[slot] = g;
            if (!ReadMembers(v, slot, book)) return false;
        }
        return true;
    }

    bool ReadEntry(const JNode& v, PBEntry& e) {
        if (!Object(v, "entries")) return false;
        Unknown(v, {"slot", "name", "group", "secret", "numbers", "email", "wireless", "memo",
                    "ringer", "msgRinger", "picture"});
        int slot = 0;
        int group = kEtcGroup;
        if (!Int(v, "slot", 0, kEntrySlots - 1, slot, true) ||
            !Int(v, "group", 0, kGroupSlots - 1, group, false)) {
            return false;
        }
        e.index = static_cast<uint16_t>(slot);
        e.group = static_cast<uint8_t>(group);
        if (const JNode* s = v.Find("secret")) {
            if (s->type != JNode::Bool) return Fail(*s, "\"secret\" must be true or false");
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
        if (const JNode* numbers = v.Find("numbers")) {
            if (!Object(*numbers, "numbers")) return false;
            Unknown(*numbers,
                    {kKindNames[0], kKindNames[1], kKindNames[2], kKindNames[3], kKindNames[4]});
            for (std::size_t k = 0; k < kKindNames.size(); ++k) {
                text.clear();
                if (!Text(*numbers, kKindNames[k], kNumberLen, text)) return false;
                SetNumber(e.numbers[k], text);
            }
        }
        struct Code {
            std::string_view key;
            uint16_t* field;
        };
        for (const Code& c : {Code{"ringer", &e.ringer}, Code{"msgRinger", &e.msgRinger},
                              Code{"picture", &e.picture}}) {
            int code = kNone16;
            if (!Int(v, c.key, 0, 0xFFFF, code, false)) return false;
            *c.field = static_cast<uint16_t>(code);
        }
        return true;
    }

    bool ReadEntries(const JNode& root, JsonBook& book) {
        const JNode* list = nullptr;
        if (!List(root, "entries", list) || list == nullptr) return list == nullptr;
        for (const JNode& v : list->items) {
            PBEntry e;
            if (!ReadEntry(v, e)) return false;
            if (book.entries.count(e.index) != 0) return Duplicate(v, "entry", e.index);
            book.entries[e.index] = e;
        }
        return true;
    }

    bool Kind(const JNode& obj, uint8_t& kind) {
        const JNode* v = obj.Find("kind");
        if (v == nullptr) return Fail(obj, "\"kind\" is missing");
        if (v->type == JNode::Int && v->number >= 0 && v->number <= 0xFF) {
            kind = static_cast<uint8_t>(v->number);
            return true;
        }
        if (v->type == JNode::String) {
            for (std::size_t k = 0; k < kKindNames.size(); ++k) {
                if (v->text == kKindNames[k]) {
                    kind = KindByte(KindAt(static_cast<int>(k)));
                    return true;
                }
            }
        }
        return Fail(*v, "\"kind\" must be one of mobile, home, office, pager, fax");
    }

    bool ReadSpeedDials(const JNode& root, JsonBook& book) {
        const JNode* list = nullptr;
        if (!List(root, "speedDials", list) || list == nullptr) return list == nullptr;
        for (const JNode& v : list->items) {
            int number = 0;
            int entry = 0;
            uint8_t kind = 0;
            if (!Object(v, "speedDials") ||
                !Int(v, "number", kFirstSpeedDial, kLastSpeedDial, number, true) ||
                !Int(v, "entry", 0, 0xFFFF, entry, true) || !Kind(v, kind)) {
                return false;
            }
            Unknown(v, {"number", "entry", "kind"});
            const auto k = static_cast<std::size_t>(number - kFirstSpeedDial);
            if (book.dialSeen[k]) return Duplicate(v, "speed dial", number);
            book.dialSeen[k] = true;
            book.dials[k] = PBSpeedDial{static_cast<uint16_t>(entry), kind};
        }
        return true;
    }

    // Each group's member list must name its own entries, once each.
    bool CheckMemberLists(JsonBook& book) {
        std::set<int> placed;
        for (const auto& [g, list] : book.members) {
            for (const auto& [slot, where] : list) {
                const std::string head =
                    "group " + std::to_string(g) + " lists entry " + std::to_string(slot);
                const auto it = book.entries.find(slot);
                if (it == book.entries.end()) {
                    return Fail(*where, head + ", which is not among the entries");
                }
                if (it->second.group != g) {
                    return Fail(*where, head + ", which belongs to group " +
                                            std::to_string(it->second.group));
                }
                if (!placed.insert(slot).second) return Fail(*where, head + " twice");
            }
        }
        m_placed = std::move(placed);
        return true;
    }

    // The records in the order a saved file has them; entries that no member list names follow
    // in slot order and join the tail of their group.
    void LayOut(JsonBook& book, std::vector<uint8_t>& bytes) {
        PhoneBook stage;
        for (int k = 0; k < kSmsGroupSlots; ++k) {
            stage.SetSmsGroupName(k, book.sms[static_cast<std::size_t>(k)]);
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
        for (const auto& [slot, g] : book.groups) {
            WriteGroupRecord(slot, g, 0, record);
            bytes.insert(bytes.end(), record.begin(), record.begin() + pbfile::kGroupSize);
            for (const auto& member : book.members[slot])
                putEntry(book.entries[member.first]);
        }
        for (const auto& [slot, e] : book.entries) {
            if (m_placed.count(slot) == 0) putEntry(e);
        }
        for (int j = 0; j < kSpeedDialSlots; ++j) {
            const PBSpeedDial& d = book.dials[static_cast<std::size_t>(j)];
            stage.SetSpeedDial(j + kFirstSpeedDial, d);
            const auto r = stage.MakeSpeedDialItem(j, j);
            bytes.insert(bytes.end(), r.begin(), r.end());
        }
    }

    std::string_view m_text;
    JsonImport& m_result;
    std::set<int> m_placed;
};

}  // namespace

std::string_view KindName(NumberKind kind) {
    return kKindNames[IndexOf(kind)];
}

std::string BookToJson(const PhoneBook& book, bool asciiOnly) {
    using Json = nlohmann::ordered_json;
    const auto text = [](std::string_view bytes) { return Latin1ToUtf8(bytes); };
    Json out = Json::object();
    Json& entries = out["entries"] = Json::array();
    for (int i = 0; i < kEntrySlots; ++i) {
        PBEntry e;
        if (!book.GetEntry(i, e)) continue;
        Json numbers = Json::object();
        for (std::size_t k = 0; k < kKindNames.size(); ++k)
            numbers[std::string(kKindNames[k])] = text(NumberText(e.numbers[k]));
        entries.push_back(Json{{"slot", i},
                               {"name", text(TextOf(e.name))},
                               {"group", e.group},
                               {"secret", e.secret != 0},
                               {"numbers", std::move(numbers)},
                               {"email", text(TextOf(e.email))},
                               {"wireless", text(TextOf(e.wireless))},
                               {"memo", text(TextOf(e.memo))},
                               {"ringer", e.ringer},
                               {"msgRinger", e.msgRinger},
                               {"picture", e.picture}});
    }
    Json& groups = out["groups"] = Json::array();
    for (int g = 0; g < kGroupSlots; ++g) {
        PBGroup grp;
        if (!book.GetGroup(g, grp)) continue;
        Json members = Json::array();
        book.ForEachMember(g, [&](uint16_t e) { members.push_back(e); });
        groups.push_back(
            Json{{"slot", g}, {"name", text(TextOf(grp.name))}, {"members", std::move(members)}});
    }
    Json& smsGroups = out["smsGroups"] = Json::array();
    for (int k = 0; k < kSmsGroupSlots; ++k) {
        PBSmsGroup s;
        if (!book.GetSmsGroup(k, s)) continue;
        smsGroups.push_back(Json{{"slot", k}, {"name", text(TextOf(s.name))}});
    }
    Json& dials = out["speedDials"] = Json::array();
    for (int j = 0; j < kSpeedDialSlots; ++j) {
        const PBSpeedDial& d = book.SpeedDial(j);
        if (d.entry == kNone16) continue;
        const auto kind = KindOfByte(d.kind);
        dials.push_back(Json{{"number", j + kFirstSpeedDial},
                             {"entry", d.entry},
                             {"kind", kind ? Json(std::string(KindName(*kind))) : Json(d.kind)}});
    }
    return out.dump(-1, ' ', asciiOnly, Json::error_handler_t::replace);
}

JsonImport JsonToPbBytes(std::string_view text, std::vector<uint8_t>& bytes) {
    JsonImport result;
    JNode root;
    if (!ParseJson(text, root, result.error)) return result;
    BookReader reader(text, result);
    std::vector<uint8_t> out;
    if (!reader.Read(root, out)) return result;
    bytes = std::move(out);
    result.ok = true;
    return result;
}

JsonImport BookFromJson(std::string_view text, PhoneBook& book) {
    std::vector<uint8_t> bytes;
    JsonImport result = JsonToPbBytes(text, bytes);
    if (!result.ok) return result;
    // A fresh book: the JSON says everything, nothing of the old book stays behind.
    MessageSink* sink = book.Messages();
    book = PhoneBook();
    book.SetMessageSink(sink);
    const PbLoadReport report = ReadPbRecords(book, bytes, nullptr);
    for (const int g : report.namedGroups) {
        result.warnings.push_back("entries name group " + std::to_string(g) +
                                  ", which the book does not list: kept as \"Group " +
                                  std::to_string(g) + "\"");
    }
    return result;
}

}  // namespace numora

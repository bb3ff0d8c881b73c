#include "addressbook/CardEdit.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "formats/VCard.h"
#include "numbers/PhoneNumbers.h"

namespace numora {

namespace {

constexpr std::array<std::string_view, kNumberKinds> kTelTypes = {"CELL", "HOME,VOICE",
                                                                  "WORK,VOICE", "PAGER", "FAX"};

bool SameFolded(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::string_view WithoutTelScheme(std::string_view v) {
    if (v.size() > 4 && SameFolded(v.substr(0, 4), "tel:")) v.remove_prefix(4);
    return v;
}

// The property of a name whose text the contacts import took for a field, not yet claimed.
// For a field of one value (e-mail, web address, note) the import takes the first property of
// its name, so that one is the source even when its text reads otherwise here.
CardProperty* Source(Card& card, std::string_view name, std::string_view text,
                     std::set<const CardProperty*>& claimed, bool firstIsSource) {
    if (text.empty()) return nullptr;
    CardProperty* first = nullptr;
    for (CardProperty& p : card.Properties()) {
        if (p.name != name || claimed.count(&p) != 0) continue;
        if (first == nullptr) first = &p;
        const std::string t = p.Text();
        if (t == text || WithoutTelScheme(t) == WithoutTelScheme(text)) {
            claimed.insert(&p);
            return &p;
        }
    }
    if (!firstIsSource || first == nullptr) return nullptr;
    claimed.insert(first);
    return first;
}

// A number for a TEL value, as written. The handset's pause and wait (P, T) are "," and ";" in a
// text value, escaped as vCard 3.0 text is (a server reading it as a list keeps only what comes
// before a bare ","), and "p" and "w" in a tel: URI.
std::string CardNumber(std::string_view number, bool uri) {
    std::string out;
    for (const char c : WithoutTelScheme(number)) {
        if (c == 'P') {
            out += uri ? 'p' : ',';
        } else if (c == 'T') {
            out += uri ? 'w' : ';';
        } else {
            out += c;
        }
    }
    return uri ? "tel:" + out : Card::Escape(out);
}

bool IsUri(const CardProperty& p) {
    return SameFolded(p.Param("VALUE"), "uri") ||
           WithoutTelScheme(p.value).size() != p.value.size();
}

// "Anna Maria Meyer" as N: the last word is the family name, the rest the given names.
std::string StructuredName(std::string_view name) {
    const auto space = name.rfind(' ');
    if (space == std::string_view::npos) return Card::Escape(name) + ";;;;";
    return Card::Escape(name.substr(space + 1)) + ";" + Card::Escape(name.substr(0, space)) + ";;;";
}

void EditName(Card& card, const std::string& name) {
    if (CardProperty* fn = card.Find("FN")) {
        Card::SetText(*fn, name);
    } else {
        card.Add("FN", {}, Card::Escape(name));
    }
    if (CardProperty* n = card.Find("N")) {
        Card::SetRawValue(*n, StructuredName(name));
    } else {
        card.Add("N", {}, StructuredName(name));
    }
}

void EditCategories(Card& card, const std::string& from, const std::string& to,
                    std::string_view category) {
    std::vector<std::string> names = CategoriesOf(card);
    // The group is the first category besides the sync's own, as the handset reads the card.
    auto group = names.begin();
    while (group != names.end() && !category.empty() && SameFolded(*group, category))
        ++group;
    if (!from.empty() && group != names.end()) {
        if (to.empty()) {
            names.erase(group);
        } else {
            *group = to;
        }
    } else if (!to.empty()) {
        names.insert(group, to);
    }
    std::string value;
    for (const std::string& n : names)
        value += (value.empty() ? "" : ",") + Card::Escape(n);
    // All categories go into the first CATEGORIES property; later ones are folded into it.
    CardProperty* first = card.Find("CATEGORIES");
    for (CardProperty& p : card.Properties()) {
        if (p.name == "CATEGORIES" && &p != first) card.Remove(&p);
    }
    if (value.empty()) {
        if (first != nullptr) card.Remove(first);
    } else if (first != nullptr) {
        Card::SetRawValue(*first, value);
    } else {
        card.Add("CATEGORIES", {}, value);
    }
}

void EditSecret(Card& card, bool secret) {
    CardProperty* cls = card.Find("CLASS");
    if (secret) {
        if (cls != nullptr) {
            Card::SetRawValue(*cls, "PRIVATE");
        } else {
            card.Add("CLASS", {}, "PRIVATE");
        }
    } else if (cls != nullptr) {
        card.Remove(cls);
    }
}

}  // namespace

void EditCard(Card& card, const Fields& from, const Fields& to, std::string_view category,
              const std::string& region) {
    // The card's numbers as written before the edit, for one that comes back.
    const PhoneNumbers numbers(region);
    std::vector<std::string> written;
    for (const CardProperty& p : card.Properties()) {
        if (p.name == "TEL") written.emplace_back(WithoutTelScheme(p.Text()));
    }
    const auto valueOf = [&](const std::string& number, bool uri) {
        for (const std::string& w : written) {
            if (numbers.Same(w, number)) return uri ? "tel:" + w : Card::Escape(w);
        }
        return CardNumber(number, uri);
    };
    // Which property each field came from, as the contacts import read the card before the edit.
    std::vector<std::string> problems;
    const std::vector<Contact> read = ContactsFromVCard(card.Text(), problems);
    const Contact contact = read.empty() ? Contact{} : read.front();
    std::set<const CardProperty*> claimed;
    struct Target {
        Field field;
        CardProperty* property;
        std::string name;
        std::vector<std::string> params;
    };
    std::vector<Target> targets;
    targets.reserve(kNumberKinds + 3);
    for (int k = 0; k < kNumberKinds; ++k) {
        targets.push_back(
            {NumberField(k),
             Source(card, "TEL", contact.numbers[static_cast<std::size_t>(k)], claimed, false),
             "TEL",
             {"TYPE=" + std::string(kTelTypes[static_cast<std::size_t>(k)])}});
    }
    targets.push_back({Field::Email,
                       Source(card, "EMAIL", contact.email, claimed, true),
                       "EMAIL",
                       {"TYPE=INTERNET"}});
    targets.push_back(
        {Field::Wireless, Source(card, "URL", contact.wireless, claimed, true), "URL", {}});
    targets.push_back({Field::Memo, Source(card, "NOTE", contact.memo, claimed, true), "NOTE", {}});

    std::vector<Target> additions;  // added last: adding moves the properties pointed at
    for (Target& t : targets) {
        const std::string& value = to[t.field];
        if (value == from[t.field]) continue;
        if (value.empty()) {
            if (t.property != nullptr) card.Remove(t.property);
        } else if (t.property == nullptr) {
            additions.push_back(t);
        } else if (t.name == "TEL") {
            Card::SetRawValue(*t.property, valueOf(value, IsUri(*t.property)));
        } else {
            Card::SetText(*t.property, value);
        }
    }
    if (to[Field::Name] != from[Field::Name]) EditName(card, to[Field::Name]);
    if (to[Field::Group] != from[Field::Group]) {
        EditCategories(card, from[Field::Group], to[Field::Group], category);
    }
    if (to[Field::Secret] != from[Field::Secret]) EditSecret(card, !to[Field::Secret].empty());
    for (const Target& t : additions) {
        card.Add(t.name, t.params,
                 t.name == "TEL" ? valueOf(to[t.field], false) : Card::Escape(to[t.field]));
    }
}

void JoinCategory(Card& card, std::string_view category) {
    if (CardProperty* first = card.Find("CATEGORIES")) {
        Card::SetRawValue(*first, first->value + "," + Card::Escape(category));
    } else {
        card.Add("CATEGORIES", {}, Card::Escape(category));
    }
}

Card NewCard(std::string_view uid, const Fields& fields, std::string_view category) {
    Card card = Card::Make(uid);
    Fields empty;
    if (!category.empty()) card.Add("CATEGORIES", {}, Card::Escape(category));
    if (fields[Field::Name].empty()) card.Add("FN", {}, "");
    EditCard(card, empty, fields, category);
    if (card.Find("N") == nullptr) card.Add("N", {}, ";;;;");
    return card;
}

}  // namespace numora

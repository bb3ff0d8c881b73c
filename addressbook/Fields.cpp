#include "addressbook/Fields.h"

#include <algorithm>
#include <cctype>

#include "addressbook/Card.h"
#include "formats/Contacts.h"
#include "formats/VCard.h"
#include "formats/VCardText.h"
#include "numbers/PhoneNumbers.h"
#include "text/TextCodec.h"

namespace numora {

namespace {

constexpr std::array<std::string_view, kFieldCount> kFieldNames = {
    "name",   "Mobile",           "Home", "Office", "Pager", "Fax",
    "e-mail", "wireless address", "memo", "group",  "secret"};

bool SameFolded(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::string GroupName(const PhoneBook& book, uint8_t group) {
    PBGroup g;
    if (group == kEtcGroup || !book.GetGroup(group, g)) return {};
    return Latin1ToUtf8(TextOf(g.name));
}

uint8_t GroupFor(std::string_view name, PhoneBook& book) {
    if (name.empty()) return kEtcGroup;
    const std::string bytes = Utf8ToLatin1(name);
    for (int g = kFirstNamedGroup; g <= kLastNamedGroup; ++g) {
        PBGroup grp;
        if (book.GetGroup(g, grp) && TextOf(grp.name) == bytes) return static_cast<uint8_t>(g);
    }
    for (int g = kFirstNamedGroup; g <= kLastNamedGroup; ++g) {
        PBGroup grp;
        if (!book.GetGroup(g, grp)) {
            book.SetGroup(g, bytes);
            return static_cast<uint8_t>(g);
        }
    }
    return kEtcGroup;
}

Fields FieldsOf(const PBEntry& e, std::string group) {
    Fields f;
    f[Field::Name] = Latin1ToUtf8(TextOf(e.name));
    for (const NumberKind kind : kAllNumberKinds)
        f[NumberField(kind)] = Latin1ToUtf8(NumberText(e.numbers[IndexOf(kind)]));
    f[Field::Email] = Latin1ToUtf8(TextOf(e.email));
    f[Field::Wireless] = Latin1ToUtf8(TextOf(e.wireless));
    f[Field::Memo] = Latin1ToUtf8(TextOf(e.memo));
    f[Field::Group] = std::move(group);
    if (e.secret != 0) f[Field::Secret] = kSecretValue;
    return f;
}

}  // namespace

std::string_view FieldName(Field f) {
    return kFieldNames[static_cast<std::size_t>(f)];
}

std::optional<Field> FieldNamed(std::string_view name) {
    for (const Field f : kAllFields) {
        if (FieldName(f) == name) return f;
    }
    return std::nullopt;
}

std::optional<Fields> FieldsOfEntry(const PhoneBook& book, int slot, std::string_view category) {
    PBEntry e;
    if (!book.GetEntry(slot, e) || !HasContent(e)) return std::nullopt;
    std::string group = GroupName(book, e.group);
    if (!category.empty() && SameFolded(group, category)) group.clear();
    return FieldsOf(e, std::move(group));
}

std::vector<std::string> CategoriesOf(const Card& card) {
    std::vector<std::string> out;
    for (const CardProperty& p : card.Properties()) {
        if (p.name != "CATEGORIES") continue;
        for (std::string& name : VCardComponents(p.value, ',', "\n")) {
            if (!name.empty()) out.push_back(std::move(name));
        }
    }
    return out;
}

std::optional<Fields> HandsetView(const Card& card, std::string_view category,
                                  const std::string& region) {
    std::vector<std::string> problems;
    std::vector<Contact> contacts = ContactsFromVCard(card.Text(), problems);
    if (contacts.empty()) return std::nullopt;
    Contact c = std::move(contacts.front());
    c.group.clear();
    const std::vector<std::string> categories = CategoriesOf(card);
    if (!category.empty() &&
        std::none_of(categories.begin(), categories.end(),
                     [&](const std::string& name) { return SameFolded(name, category); })) {
        return std::nullopt;
    }
    for (const std::string& name : categories) {
        if (category.empty() || !SameFolded(name, category)) {
            c.group = name;
            break;
        }
    }
    // Only the fields the sync carries: the slot and the handset's own codes stay the book's.
    c.slot = 0;
    c.speedDials = {};
    c.ringer.reset();
    c.msgRinger.reset();
    c.leftOut.clear();
    const ContactFit fit = FitContact(c, PhoneNumbers(region));
    if (!fit.stored) return std::nullopt;
    return FieldsOf(fit.entry, Latin1ToUtf8(fit.group));
}

void PutFields(const Fields& f, int slot, PhoneBook& book, std::string_view category) {
    PBEntry e;
    if (!book.GetEntry(slot, e)) {
        e = PBEntry{};
        e.index = static_cast<uint16_t>(slot);
    }
    const bool keepGroup = f[Field::Group].empty() && !category.empty() &&
                           SameFolded(GroupName(book, e.group), category);
    const PBEntry before = e;
    SetText(e.name, Utf8ToLatin1(f[Field::Name]));
    // The element of each kind's speed dial, by position.
    std::array<std::optional<int>, kNumberKinds> dials{};
    for (const NumberKind kind : kAllNumberKinds) {
        dials[IndexOf(kind)] = book.FindSpeedDial(static_cast<uint16_t>(slot), kind);
        SetNumber(e.numbers[IndexOf(kind)], Utf8ToLatin1(f[NumberField(kind)]));
    }
    // A speed dial follows its number to another kind; one whose kind is emptied goes.
    const auto held = dials;
    for (const NumberKind kind : kAllNumberKinds) {
        const auto dial = held[IndexOf(kind)];
        const std::string_view was = NumberText(before.numbers[IndexOf(kind)]);
        const std::string_view now = NumberText(e.numbers[IndexOf(kind)]);
        if (!dial || was == now) continue;
        std::optional<NumberKind> moved;
        for (const NumberKind other : kAllNumberKinds) {
            if (!moved && other != kind && !dials[IndexOf(other)] &&
                NumberText(e.numbers[IndexOf(other)]) == was) {
                moved = other;
            }
        }
        if (moved) {
            book.SetSpeedDial(*dial + kFirstSpeedDial, static_cast<uint16_t>(slot), *moved);
            dials[IndexOf(*moved)] = dial;
        } else if (now.empty()) {
            book.ClearSpeedDial(*dial + kFirstSpeedDial);
        }
    }
    SetText(e.email, Utf8ToLatin1(f[Field::Email]));
    SetText(e.wireless, Utf8ToLatin1(f[Field::Wireless]));
    SetText(e.memo, Utf8ToLatin1(f[Field::Memo]));
    e.secret = f[Field::Secret].empty() ? 0 : 1;
    if (!keepGroup) e.group = GroupFor(f[Field::Group], book);
    book.SetEntry(e);
}

}  // namespace numora

// The fields a contact has on the handset, the part of a card the sync compares three ways.
// Values are UTF-8 in the handset's form: a card's value is brought to it by the contacts
// import (names cut to 16 characters, numbers made dialable, Latin-1 text), so a value the
// handset holds only in part compares equal to what the handset holds.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "book/PhoneBook.h"

namespace numora {

class Card;

enum class Field { Name, Mobile, Home, Office, Pager, Fax, Email, Wireless, Memo, Group, Secret };
constexpr int kFieldCount = 11;
constexpr std::array<Field, kFieldCount> kAllFields = {
    Field::Name,  Field::Mobile,   Field::Home, Field::Office, Field::Pager, Field::Fax,
    Field::Email, Field::Wireless, Field::Memo, Field::Group,  Field::Secret};
constexpr std::string_view kSecretValue = "yes";

// "name", "Mobile", "e-mail"... as lists and the JSON state name them.
std::string_view FieldName(Field f);
std::optional<Field> FieldNamed(std::string_view name);
// The field of the number at position 0..4 of an entry.
constexpr Field NumberField(int position) {
    return static_cast<Field>(static_cast<int>(Field::Mobile) + position);
}
constexpr Field NumberField(NumberKind kind) {
    return NumberField(PositionOf(kind));
}

struct Fields {
    std::array<std::string, kFieldCount> values;

    std::string& operator[](Field f) { return values[static_cast<std::size_t>(f)]; }
    const std::string& operator[](Field f) const { return values[static_cast<std::size_t>(f)]; }
    bool operator==(const Fields&) const = default;
};

// The fields of a slot in use, or nothing. With the category the sync is limited to, a group of
// that name is no group: every card of the sync is of it, and the card holds the group beside it.
std::optional<Fields> FieldsOfEntry(const PhoneBook& book, int slot,
                                    std::string_view category = {});

// The handset's idea of a card: what the contacts import would store for it. Nothing when the
// handset would not take it (no number, e-mail or wireless address), or when it is not of
// `category`, the one the sync is limited to; the entry's group is the card's first other
// category. Numbers are made dialable from the home region `region`.
std::optional<Fields> HandsetView(const Card& card, std::string_view category,
                                  const std::string& region = {});

// The card's categories, unescaped, in order.
std::vector<std::string> CategoriesOf(const Card& card);

// Puts the fields into a slot: a new entry, or the entry there with its speed dials, ringers
// and picture kept (a speed dial of a number that is gone goes too). A group name the book
// lacks takes a free named group, else "Etc."; an entry of the group named `category` stays in
// it when the fields name no group (see FieldsOfEntry).
void PutFields(const Fields& fields, int slot, PhoneBook& book, std::string_view category = {});

}  // namespace numora

// What the sync keeps between runs for one address book: the collection's change marks and,
// per card it has seen, its href, UID, ETag, the handset slot it is paired with and the fields
// both sides agreed on after the last sync (the base of the three-way comparison).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "addressbook/Fields.h"

namespace numora {

struct CardState {
    std::string href;  // the card's path on the server, decoded
    std::string uid;
    std::string etag;
    std::optional<int> slot;  // none: the card is not on the handset
    Fields base;  // for a card not on the handset: its fields as the handset would hold them
    bool operator==(const CardState&) const = default;
};

struct AddressBookState {
    std::string url;        // the address book's collection
    std::string name;       // its display name, for the file of cards kept before a change
    std::string syncToken;  // empty when the server offers no sync-collection
    std::string ctag;
    std::string category;  // the one the sync was limited to; empty for all contacts
    std::vector<CardState> cards;

    [[nodiscard]] const CardState* Card(std::string_view href) const;
    [[nodiscard]] int PairedCount() const;
    bool operator==(const AddressBookState&) const = default;
};

std::string StateToJson(const AddressBookState& state);
// Nothing (with the reason) for a file that is not a state the sync wrote.
std::optional<AddressBookState> StateFromJson(std::string_view json, std::string& error);

}  // namespace numora

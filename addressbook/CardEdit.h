// Writing the handset's fields into a card. An existing card is edited in place: only the
// properties of fields that changed are written anew, every other property stays as it came.
#pragma once

#include <string>
#include <string_view>

#include "addressbook/Card.h"
#include "addressbook/Fields.h"

namespace numora {

// Writes into the card the fields that differ between `from` (the card as the handset holds
// it) and `to`. A number, e-mail, web address or note is rewritten in the property it came
// from, keeping that property's group and parameters; a value that is gone takes its property
// with it; a value new to the card gets a property of its own. The card's categories keep
// `category` (the one the sync is limited to) and any others; only the group's changes. A
// number the card already held (another kind, another writing, under the home region `region`)
// goes back in the card's own writing, "+49 170 1234567" rather than the handset's digits; the
// handset's pause and wait are written as vCard readers expect them.
void EditCard(Card& card, const Fields& from, const Fields& to, std::string_view category,
              const std::string& region = {});

// Puts the card into the category, after the categories it has (so that the group the handset
// reads from the first other one stays).
void JoinCategory(Card& card, std::string_view category);

// A new vCard 3.0 card of the fields.
Card NewCard(std::string_view uid, const Fields& fields, std::string_view category);

}  // namespace numora

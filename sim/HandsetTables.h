// What the simulated handset holds: its phone-book tables kept raw, as records and items the way
// they were last written, so that a write followed by a read gives back exactly what was written.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "book/PhoneBook.h"
#include "book/Records.h"

namespace numora {

constexpr int kHandsetGroupSlots = 7;   // slot 7 is asked for but never held
constexpr int kSpeedDialElements = 20;  // element 0 is asked for but never held

struct HandsetTables {
    using Item = std::array<uint8_t, item::kSize>;
    using Record = std::array<uint8_t, entryrec::kSize>;

    HandsetTables();

    std::array<Record, kEntrySlots> entries{};
    std::array<Record, kHandsetGroupSlots> groups{};
    std::array<uint8_t, kEntrySlots> mask{};
    std::array<Item, kSpeedDialElements> speedDials{};
    std::array<Item, kSmsGroupSlots> smsGroups{};
};

// The tables of a handset that was given this book.
HandsetTables TablesFromBook(const PhoneBook& book);

// The book a read run would build from these tables: groups, then every announced entry in slot
// order, then the speed dials and SMS groups.
PhoneBook BookFromTables(const HandsetTables& tables);

// The handset's replies that carry its tables; byte 0 is the request's code.
HandsetTables::Item ItemReply(const HandsetTables& tables, uint16_t itemNumber, uint8_t element);
HandsetTables::Record GroupReply(const HandsetTables& tables, uint8_t slot);
HandsetTables::Record EntryReply(const HandsetTables& tables, uint16_t slot);

// Keeps what a write carries; writes naming nothing the handset holds change nothing.
void StoreItem(HandsetTables& tables, std::span<const uint8_t> request);
void StoreGroup(HandsetTables& tables, std::span<const uint8_t> request);
void StoreEntry(HandsetTables& tables, std::span<const uint8_t> request);
void StoreMask(HandsetTables& tables, std::span<const uint8_t> request);

}  // namespace numora

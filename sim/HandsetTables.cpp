#include "sim/HandsetTables.h"

#include <algorithm>

#include "link/HandsetCommands.h"

namespace numora {

namespace {

constexpr std::size_t kSmsEndMark = smsgroup::kMembers + smsgroup::kMembersSize;

HandsetTables::Record BlankGroup(uint8_t slot) {
    HandsetTables::Record r{};
    r[grouprec::kSlot] = slot;
    r[grouprec::kSlotAgain] = slot;
    PutLe16(r, grouprec::kFirstEntry, kNone16);
    return r;
}

// A request copied into a fixed-size record; missing bytes read as zero.
template <std::size_t N>
std::array<uint8_t, N> Padded(std::span<const uint8_t> request) {
    std::array<uint8_t, N> r{};
    std::copy_n(request.begin(), std::min(request.size(), N), r.begin());
    return r;
}

}  // namespace

HandsetTables::HandsetTables() {
    for (int i = 0; i < kEntrySlots; ++i) {
        PutLe16(entries[static_cast<std::size_t>(i)], entryrec::kSlot, static_cast<uint16_t>(i));
    }
    for (int g = 0; g < kHandsetGroupSlots; ++g) {
        groups[static_cast<std::size_t>(g)] = BlankGroup(static_cast<uint8_t>(g));
    }
    for (std::size_t e = 0; e < speedDials.size(); ++e) {
        Item& it = speedDials[e];
        it[item::kElement] = static_cast<uint8_t>(e);
        PutLe16(it, speeddial::kEntry, kNone16);
        it[speeddial::kKind] = kNone8;
    }
    for (std::size_t k = 0; k < smsGroups.size(); ++k) {
        Item& it = smsGroups[k];
        it[item::kElement] = static_cast<uint8_t>(k);
        std::fill(it.begin() + smsgroup::kMembers, it.begin() + kSmsEndMark, kNone8);
    }
}

HandsetTables TablesFromBook(const PhoneBook& source) {
    PhoneBook book = source;  // assembling uses the book's staging areas
    HandsetTables t;
    for (int i = 0; i < kEntrySlots; ++i) {
        if (book.IsValidEntry(i))
            WriteEntryRecord(book.Entry(i), t.entries[static_cast<std::size_t>(i)]);
    }
    t.mask = book.FieldMaskTable();
    for (int g = 0; g < kHandsetGroupSlots; ++g) {
        PBGroup group;
        if (book.GetGroup(g, group)) {
            // The handset answers with the group's ringer where a write carries the count.
            WriteGroupRecord(g, group, group.ringer, t.groups[static_cast<std::size_t>(g)]);
        }
    }
    for (int j = 0; j < kSpeedDialSlots; ++j) {
        const auto r = book.MakeSpeedDialItem(j, j + 1);
        std::copy(r.begin(), r.end(), t.speedDials[static_cast<std::size_t>(j) + 1].begin());
    }
    for (int k = 0; k < kSmsGroupSlots; ++k) {
        const auto r = book.MakeSmsGroupItem(k);
        std::copy(r.begin(), r.end(), t.smsGroups[static_cast<std::size_t>(k)].begin());
    }
    return t;
}

PhoneBook BookFromTables(const HandsetTables& t) {
    PhoneBook book;
    book.SetReceivedMask(t.mask);
    for (uint8_t g = 0; g < kHandsetGroupSlots; ++g)
        book.TakeGroupRecord(GroupReply(t, g));
    for (int s = book.NextReceivedSlot(kEntrySlots); s < kEntrySlots;
         s = book.NextReceivedSlot(s)) {
        book.TakeEntryRecord(EntryReply(t, static_cast<uint16_t>(s)));
    }
    for (uint8_t e = 1; e < kSpeedDialElements; ++e) {
        book.TakeSpeedDialItem(ItemReply(t, kItemSpeedDials, e));
    }
    for (uint8_t k = 0; k < kSmsGroupSlots; ++k) {
        book.TakeSmsGroupItem(ItemReply(t, kItemSmsGroups, k));
    }
    return book;
}

HandsetTables::Item ItemReply(const HandsetTables& t, uint16_t itemNumber, uint8_t element) {
    HandsetTables::Item r{};
    if (itemNumber == kItemSpeedDials && element < t.speedDials.size()) {
        r = t.speedDials[element];
    } else if (itemNumber == kItemSmsGroups && element < t.smsGroups.size()) {
        r = t.smsGroups[element];
    }
    r[item::kCode] = cmd::kNvRead;
    PutLe16(r, item::kItem, itemNumber);
    r[item::kElement] = element;
    return r;
}

HandsetTables::Record GroupReply(const HandsetTables& t, uint8_t slot) {
    HandsetTables::Record r = slot < t.groups.size() ? t.groups[slot] : BlankGroup(slot);
    r[0] = cmd::kGroupRead;
    return r;
}

HandsetTables::Record EntryReply(const HandsetTables& t, uint16_t slot) {
    HandsetTables::Record r{};
    if (slot < t.entries.size()) {
        r = t.entries[slot];
    } else {
        PutLe16(r, entryrec::kSlot, slot);
    }
    r[0] = cmd::kEntryRead;
    return r;
}

void StoreItem(HandsetTables& t, std::span<const uint8_t> request) {
    const uint16_t itemNumber = Le16(request, item::kItem);
    const uint8_t element = ByteAt(request, item::kElement);
    if (itemNumber == kItemSpeedDials && element >= 1 && element < t.speedDials.size()) {
        t.speedDials[element] = Padded<item::kSize>(request);
    } else if (itemNumber == kItemSmsGroups && element < t.smsGroups.size()) {
        t.smsGroups[element] = Padded<item::kSize>(request);
    }
}

void StoreGroup(HandsetTables& t, std::span<const uint8_t> request) {
    const uint8_t slot = ByteAt(request, grouprec::kSlot);
    if (slot < t.groups.size()) t.groups[slot] = Padded<grouprec::kWireSize>(request);
}

void StoreEntry(HandsetTables& t, std::span<const uint8_t> request) {
    const uint16_t slot = Le16(request, entryrec::kSlot);
    if (slot < t.entries.size()) t.entries[slot] = Padded<entryrec::kSize>(request);
}

void StoreMask(HandsetTables& t, std::span<const uint8_t> request) {
    const auto r = Padded<maskrec::kSize>(request);
    std::copy(r.begin() + maskrec::kMask, r.end(), t.mask.begin());
}

}  // namespace numora

// Before a write replaces the handset's whole book: whether it would leave the handset with no
// entries, or take many away from the book the handset held when it was last read or written.
// Such a write is never made by accident: the tool refuses it without --force, the window asks.
#pragma once

#include <string>

#include "book/PhoneBook.h"

namespace numora {

// A write may take away this many entries of the handset's last known book, and no more than a
// tenth of them, without being asked about.
constexpr int kQuietRemovals = 5;

struct WriteRisk {
    enum class Kind { None, NoEntries, ManyRemoved };
    Kind kind = Kind::None;
    int removed = 0;  // entries of the handset's last known book the write takes away
    int held = 0;     // entries that book holds
};

// `lastHeld`: the book the handset held when last read or written; none when unknown.
[[nodiscard]] WriteRisk AssessWrite(const PhoneBook& book, const PhoneBook* lastHeld);

// What the write would do, in a sentence naming how many entries go; empty for none.
std::string WriteRiskText(const WriteRisk& risk);

}  // namespace numora

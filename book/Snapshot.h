// A book as the bytes of a phone-book file, for keeping it and bringing it back exactly: unlike
// File Save, the ringer, message-ringer and picture codes are kept as they stand, and the book
// itself is not touched.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "book/PhoneBook.h"

namespace numora {

[[nodiscard]] std::vector<uint8_t> SnapshotBytes(const PhoneBook& book);

enum class SnapshotRead { Whole, Truncated, Damaged };

// A fresh book from such bytes (any phone-book file will do). A snapshot is always whole: bytes
// cut short, or damaged as a phone-book file can be (see PbLoadReport), leave the book as it was.
[[nodiscard]] SnapshotRead BookFromSnapshot(std::span<const uint8_t> bytes, PhoneBook& book);

}  // namespace numora

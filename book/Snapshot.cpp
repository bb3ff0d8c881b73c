#include "book/Snapshot.h"

#include <array>

#include "book/PbFile.h"
#include "book/Records.h"

namespace numora {

std::vector<uint8_t> SnapshotBytes(const PhoneBook& book) {
    // The record assembly works in the book's staging areas: a copy keeps the caller's book
    // as it is.
    PhoneBook copy = book;
    std::vector<uint8_t> out;
    for (int k = 0; k < kSmsGroupSlots; ++k) {
        const auto r = copy.MakeSmsGroupItem(k);
        out.insert(out.end(), r.begin(), r.end());
        out.resize(out.size() + (pbfile::kSmsGroupSize - r.size()), 0);
    }
    std::array<uint8_t, pbfile::kEntrySize> entry{};
    for (uint8_t g = copy.NextUsedGroup(kNone8); g != kNone8; g = copy.NextUsedGroup(g)) {
        const auto r = copy.MakeGroupRecord(g, 0);
        out.insert(out.end(), r.begin(), r.begin() + pbfile::kGroupSize);
        copy.ForEachMember(g, [&](uint16_t e) {
            if (!copy.IsValidEntry(e)) return;
            WriteEntryRecord(copy.Entry(e), entry);
            out.insert(out.end(), entry.begin(), entry.end());
        });
    }
    for (int j = 0; j < kSpeedDialSlots; ++j) {
        const auto r = copy.MakeSpeedDialItem(j, j);
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

SnapshotRead BookFromSnapshot(std::span<const uint8_t> bytes, PhoneBook& book) {
    PhoneBook fresh;
    fresh.SetMessageSink(book.Messages());
    const PbLoadReport report = ReadPbRecords(fresh, bytes, nullptr);
    if (report.truncated) return SnapshotRead::Truncated;
    // Every snapshot holds at least the group "Etc.".
    if (report.Damaged() || report.taken == 0) return SnapshotRead::Damaged;
    book = fresh;
    return SnapshotRead::Whole;
}

}  // namespace numora

// The phone-book file (*.pb): a headerless sequence of tagged fixed-length records.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "book/PhoneBook.h"
#include "book/Progress.h"

namespace numora {

// What a load found besides the records it took.
struct PbLoadReport {
    int taken = 0;              // records that changed the book
    int ignored = 0;            // whole records the book could not take (slot outside the tables,
                                // no number, e-mail or wireless address, empty group name)
    int skippedBytes = 0;       // bytes that were no record tag
    bool truncated = false;     // the last record was cut short by the end of the file
    int repeated = 0;           // records for a slot an earlier record of the file already filled
    int missingSpeedDials = 0;  // speed-dial slots the file has no record for
    bool empty = false;         // the file holds no byte at all
    std::size_t fileBytes = 0;
    std::size_t soundBytes = 0;    // bytes of records taken, or empty SMS-group placeholders
    std::vector<int> namedGroups;  // group slots put in use for entries that named them

    // Something of the file could not be read, or reads two ways: the book holds less, or other,
    // than the file meant. Every saved book ends with a record for each speed dial, so a file
    // without them all was cut short, even between records.
    bool Damaged() const {
        return empty || truncated || ignored > 0 || skippedBytes > 0 || repeated > 0 ||
               missingSpeedDials > 0;
    }
    // Most of the file is no record the book could take: it is no phone-book file at all.
    bool NotAPhoneBook() const { return fileBytes > 0 && soundBytes * 2 < fileBytes; }
};

// What the user should know of a load besides "File read completed!": what was skipped, and
// which groups were put in use; empty when the file was read whole.
[[nodiscard]] std::string LoadReportText(const PbLoadReport& report);

// Takes the records of a file into the book in file order. The caller resets the book first.
// Progress advances by the bytes consumed. Entries whose group has no record keep it: the
// group is put in use under the name "Group N".
PbLoadReport ReadPbRecords(PhoneBook& book, std::span<const uint8_t> bytes, Progress* progress);

// Lays the book out as a file. False when a group chain names a slot that holds no entry; the
// bytes then hold the records before it. Assembling entries clamps their codes in the book, and
// every valid entry is first made reachable from a group in use (PhoneBook::KeepStrayEntries).
bool WritePbRecords(PhoneBook& book, std::vector<uint8_t>& out, Progress* progress);

}  // namespace numora

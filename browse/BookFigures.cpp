#include "browse/BookFigures.h"

namespace numora {

std::string BookStatusLine(const PhoneBook& book) {
    const int used = book.CountUsedEntries();
    int freeDials = 0;
    for (int k = 0; k < kSpeedDialSlots; ++k) {
        if (!book.IsValidEntry(book.SpeedDial(k).entry)) ++freeDials;
    }
    return std::to_string(used) + " of " + std::to_string(kEntrySlots) + " entries, " +
           std::to_string(kEntrySlots - used) + " free; " + std::to_string(freeDials) + " of " +
           std::to_string(kSpeedDialSlots) + " speed dials free";
}

}  // namespace numora

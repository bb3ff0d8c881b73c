#include "sync/WriteGuard.h"

#include <algorithm>

#include "book/BookDiff.h"

namespace numora {

WriteRisk AssessWrite(const PhoneBook& book, const PhoneBook* lastHeld) {
    WriteRisk risk;
    if (lastHeld != nullptr) {
        risk.held = lastHeld->CountUsedEntries();
        const auto diffs = CompareBooks(*lastHeld, book);
        risk.removed =
            static_cast<int>(std::count_if(diffs.begin(), diffs.end(), [](const auto& d) {
                return d.item == DiffItem::Entry && d.change == DiffChange::Removed;
            }));
    }
    if (book.CountUsedEntries() == 0) {
        risk.kind = WriteRisk::Kind::NoEntries;
    } else if (risk.removed > kQuietRemovals || risk.removed * 10 > risk.held) {
        risk.kind = WriteRisk::Kind::ManyRemoved;
    }
    return risk;
}

std::string WriteRiskText(const WriteRisk& risk) {
    switch (risk.kind) {
        case WriteRisk::Kind::None:
            return {};
        case WriteRisk::Kind::NoEntries:
            if (risk.held > 0) {
                return "This book holds no entries: writing it removes all " +
                       std::to_string(risk.held) +
                       " entries the phone held when it was last read or written.";
            }
            return "This book holds no entries: writing it leaves the phone with none.";
        case WriteRisk::Kind::ManyRemoved:
            return "Writing this book removes " + std::to_string(risk.removed) + " of the " +
                   std::to_string(risk.held) +
                   " entries the phone held when it was last read or written.";
    }
    return {};
}

}  // namespace numora

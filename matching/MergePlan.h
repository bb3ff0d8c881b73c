// Merging, field by field: contacts into a book, or a book's duplicates into one entry each.
// Planning works on a copy and says what would happen (entries added, fields changed,
// conflicts, what does not fit, the likely pairs to ask about); applying puts the copy in
// place. Planning the same contacts again on the result changes nothing.
//
// The rules: a field empty on one side takes the other's value. A number already on the entry
// in any kind is not added again; a new number goes to its own kind if free, else to the first
// free kind (the Mobile last), else does not fit. Where both sides hold different values in a
// field that holds one (the name, the Mobile number, the e-mail, the wireless address, the
// memo), the book's value stays and the other is a conflict, unless the incoming side is
// preferred. Speed dials, ringers, the secret flag, group and slot of an entry in the book
// stay; new contacts take free slots in ascending order.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "book/BookDiff.h"
#include "book/PhoneBook.h"
#include "formats/Contacts.h"
#include "matching/Match.h"
#include "matching/PairAnswers.h"

namespace numora {

enum class Prefer { Book, Incoming };

// Where a number goes when its own kind is taken: the first free of these kinds, the Mobile
// last, since a number there would stand in the way of the person's own mobile number the next
// time it comes.
inline constexpr std::array<NumberKind, kNumberKinds> kFreeKindOrder = {
    NumberKind::Home, NumberKind::Office, NumberKind::Pager, NumberKind::Fax, NumberKind::Mobile};

struct MergeOptions {
    Prefer prefer = Prefer::Book;
    const PairAnswers* answers = nullptr;  // likely pairs already answered
};

// Text in the book's bytes, as the book holds it.
struct Conflict {
    int slot = 0;
    std::string name;     // the entry's
    std::string field;    // as the form names it: "Mobile", "E-mail"
    std::string kept;     // the value the entry holds after the merge
    std::string dropped;  // the value left out
    std::string from;     // "contact 4 \"Ada\"" or "entry 9 \"Ada\""
    bool incomingTaken = false;
};

// Two records that may be one person: an entry and a contact (other is the contact's number),
// or two entries of one book (other is the higher slot).
struct LikelyPair {
    int slot = 0;
    int other = 0;
    bool otherIsContact = true;
    std::string name;       // book bytes
    std::string otherName;  // book bytes
    MatchRule rule = MatchRule::None;
    Person person;
    Person otherPerson;
};

// Two records merged into one: the entry in `slot` took the contact or entry `other`.
struct MergedPair {
    int slot = 0;
    int other = 0;
    bool otherIsContact = true;
    std::string name;
    std::string otherName;
    MatchRule rule = MatchRule::None;
    bool answered = false;  // a likely pair the user called the same person
};

struct MergePlan {
    PhoneBook result;                     // the book after the merge
    std::vector<BookDifference> changes;  // from the book to the result
    std::vector<Conflict> conflicts;
    std::vector<std::string> notFitting;  // UTF-8, one line each
    std::vector<LikelyPair> likely;       // not answered yet; nothing of them is merged
    std::vector<MergedPair> merged;
    int added = 0;

    [[nodiscard]] bool ChangesBook() const { return !changes.empty(); }
};

// The contacts (numbered by their `source`, which reports name) merged into the book. A
// contact matches at most one entry: the sure one, or the likely one the user called the same
// person; an entry of the book takes one contact of the list where another entry will do.
// Contacts of a likely pair not yet answered are added as new entries.
[[nodiscard]] MergePlan PlanMerge(const PhoneBook& book, const std::vector<Contact>& contacts,
                                  NumberKeys& keys, const MergeOptions& options = {});

// The book against itself: each entry merges into the lowest sure (or answered) partner below
// it, which keeps its slot, and the speed dials of the merged-away entry follow its numbers.
[[nodiscard]] MergePlan PlanDuplicates(const PhoneBook& book, NumberKeys& keys,
                                       const MergeOptions& options = {});

// The book becomes the plan's result; it keeps its message sink.
void ApplyMergePlan(const MergePlan& plan, PhoneBook& book);

// One line each, in the book's bytes.
[[nodiscard]] std::string ConflictLine(const Conflict& c);
[[nodiscard]] std::string LikelyLine(const LikelyPair& p);
[[nodiscard]] std::string MergedLine(const MergedPair& p);

// The merged and the likely pairs as one JSON array, names in UTF-8; asciiOnly escapes every
// character above 0x7E (for a terminal).
[[nodiscard]] std::string PairsJson(const MergePlan& plan, bool asciiOnly = false);

}  // namespace numora

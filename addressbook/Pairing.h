// Pairs of a handset entry and a card that were never synced with each other: sure pairs
// (a shared number or e-mail, and names that agree or one of them empty) are merged; likely
// pairs (a shared number under other names, or the same name without a shared number) wait
// for the user. Values compare in the handset's form, where the contacts import has already
// made numbers dialable; a name compares without letter case or word order.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "addressbook/Fields.h"

namespace numora {

struct PairCandidate {
    int id = 0;  // the caller's: a slot or an index into its cards
    Fields fields;
};

enum class PairKind { Sure, Likely };

struct FoundPair {
    int entry = 0;  // id of the handset side
    int card = 0;   // id of the card side
    PairKind kind = PairKind::Sure;
    std::string why;
};

// Each entry and each card is in at most one pair.
std::vector<FoundPair> FindPairs(const std::vector<PairCandidate>& entries,
                                 const std::vector<PairCandidate>& cards);

}  // namespace numora

// Whether two records are one person, decided in one place. A pair is sure when it shares a
// number or an e-mail and the names agree (or one is empty): sure pairs merge. It is likely when
// it shares a number or an e-mail under other names (a family's number), or has the same name
// and nothing else in common (a namesake, or a person with a new number): likely pairs are
// asked about. Anything else is two people.
#pragma once

#include <string_view>
#include <unordered_map>
#include <vector>

#include "matching/NumberKeys.h"
#include "matching/Person.h"

namespace numora {

enum class Likeness { Different, Likely, Sure };

enum class MatchRule {
    None,
    SharedNumber,            // sure: a number in common, the names agree
    SharedEmail,             // sure: an e-mail in common, the names agree
    SharedWithoutName,       // sure: a number or e-mail in common, one name empty
    SameNameOtherNumbers,    // likely
    SharedNumberOtherNames,  // likely
    SharedEmailOtherNames,   // likely
};

struct Match {
    Likeness likeness = Likeness::Different;
    MatchRule rule = MatchRule::None;
    int shared = 0;  // numbers and e-mails in common
};

// How the rule reads in a report: "a shared number, the names agree".
[[nodiscard]] std::string_view RuleText(MatchRule rule);

// Names agree when they fold to the same words, or when the words of one are all among the
// other's and it has two at least ("Anna Meyer" and "Anna Maria Meyer").
[[nodiscard]] bool NamesAgree(std::string_view foldedA, std::string_view foldedB);

[[nodiscard]] Match ComparePeople(const Person& a, const Person& b, NumberKeys& keys);

// Records by what identifies them: the last digits of each number, each e-mail, the folded
// name. Looking a record up gives the few that may be the same person, never all of them.
class PersonIndex {
public:
    void Add(int id, const Person& person);
    // Ids that share a number's last digits, an e-mail or the name with the person; ascending,
    // each once.
    [[nodiscard]] std::vector<int> Candidates(const Person& person) const;

private:
    std::unordered_map<std::string, std::vector<int>> m_ids;
};

}  // namespace numora

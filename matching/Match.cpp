#include "matching/Match.h"

#include <algorithm>

namespace numora {

namespace {

std::vector<std::string_view> SplitWords(std::string_view folded) {
    std::vector<std::string_view> words;
    while (!folded.empty()) {
        const std::size_t space = folded.find(' ');
        words.push_back(folded.substr(0, space));
        folded = space == std::string_view::npos ? std::string_view{} : folded.substr(space + 1);
    }
    return words;
}

// Both sorted: every word of the smaller is among the larger's, counting repeats.
bool Includes(const std::vector<std::string_view>& larger,
              const std::vector<std::string_view>& smaller) {
    return std::includes(larger.begin(), larger.end(), smaller.begin(), smaller.end());
}

int SharedNumbers(const Person& a, const Person& b, NumberKeys& keys) {
    int shared = 0;
    for (const std::string& n : a.numbers) {
        const bool found = std::any_of(b.numbers.begin(), b.numbers.end(),
                                       [&](const std::string& m) { return keys.Same(n, m); });
        shared += found ? 1 : 0;
    }
    return shared;
}

int SharedEmails(const Person& a, const Person& b) {
    int shared = 0;
    for (const std::string& e : a.emails)
        shared += std::count(b.emails.begin(), b.emails.end(), e) > 0 ? 1 : 0;
    return shared;
}

// The index keeps its kinds of key apart by their first character.
std::string NumberIndexKey(std::string_view dialable) {
    return "#" + std::string(NumberKeys::Tail(dialable));
}

}  // namespace

std::string_view RuleText(MatchRule rule) {
    switch (rule) {
        case MatchRule::SharedNumber:
            return "a shared number, the names agree";
        case MatchRule::SharedEmail:
            return "a shared e-mail, the names agree";
        case MatchRule::SharedWithoutName:
            return "a shared number or e-mail, one name empty";
        case MatchRule::SameNameOtherNumbers:
            return "the same name, nothing else in common";
        case MatchRule::SharedNumberOtherNames:
            return "a shared number under other names";
        case MatchRule::SharedEmailOtherNames:
            return "a shared e-mail under other names";
        case MatchRule::None:
            break;
    }
    return "nothing in common";
}

bool NamesAgree(std::string_view foldedA, std::string_view foldedB) {
    if (foldedA == foldedB) return true;
    const auto a = SplitWords(foldedA);
    const auto b = SplitWords(foldedB);
    const auto& larger = a.size() >= b.size() ? a : b;
    const auto& smaller = a.size() >= b.size() ? b : a;
    return smaller.size() >= 2 && Includes(larger, smaller);
}

Match ComparePeople(const Person& a, const Person& b, NumberKeys& keys) {
    Match m;
    const int numbers = SharedNumbers(a, b, keys);
    const int emails = SharedEmails(a, b);
    m.shared = numbers + emails;
    if (m.shared > 0) {
        if (a.name.empty() || b.name.empty()) {
            m.likeness = Likeness::Sure;
            m.rule = MatchRule::SharedWithoutName;
        } else if (NamesAgree(a.name, b.name)) {
            m.likeness = Likeness::Sure;
            m.rule = numbers > 0 ? MatchRule::SharedNumber : MatchRule::SharedEmail;
        } else {
            m.likeness = Likeness::Likely;
            m.rule =
                numbers > 0 ? MatchRule::SharedNumberOtherNames : MatchRule::SharedEmailOtherNames;
        }
    } else if (!a.name.empty() && a.name == b.name) {
        m.likeness = Likeness::Likely;
        m.rule = MatchRule::SameNameOtherNumbers;
    }
    return m;
}

void PersonIndex::Add(int id, const Person& person) {
    const auto add = [&](std::string key) {
        std::vector<int>& ids = m_ids[std::move(key)];
        if (ids.empty() || ids.back() != id) ids.push_back(id);
    };
    for (const std::string& n : person.numbers)
        add(NumberIndexKey(n));
    for (const std::string& e : person.emails)
        add("@" + e);
    if (!person.name.empty()) add("=" + person.name);
}

std::vector<int> PersonIndex::Candidates(const Person& person) const {
    std::vector<int> out;
    const auto gather = [&](const std::string& key) {
        const auto found = m_ids.find(key);
        if (found != m_ids.end()) out.insert(out.end(), found->second.begin(), found->second.end());
    };
    for (const std::string& n : person.numbers)
        gather(NumberIndexKey(n));
    for (const std::string& e : person.emails)
        gather("@" + e);
    if (!person.name.empty()) gather("=" + person.name);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

}  // namespace numora

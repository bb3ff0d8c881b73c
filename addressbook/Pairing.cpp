#include "addressbook/Pairing.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <set>

namespace numora {

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// "Meyer, Anna" and "anna meyer" fold alike.
std::string FoldedName(const std::string& name) {
    std::vector<std::string> words(1);
    for (const char c : Lower(name)) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0 ||
            static_cast<unsigned char>(c) >= 0x80) {
            words.back() += c;
        } else if (!words.back().empty()) {
            words.emplace_back();
        }
    }
    if (words.back().empty()) words.pop_back();
    std::sort(words.begin(), words.end());
    std::string out;
    for (const std::string& w : words)
        out += w + " ";
    return out;
}

std::vector<std::string> Keys(const Fields& f) {
    std::vector<std::string> keys;
    for (int k = 0; k < kNumberKinds; ++k) {
        if (!f[NumberField(k)].empty()) keys.push_back("tel:" + f[NumberField(k)]);
    }
    if (!f[Field::Email].empty()) keys.push_back("mail:" + Lower(f[Field::Email]));
    return keys;
}

}  // namespace

std::vector<FoundPair> FindPairs(const std::vector<PairCandidate>& entries,
                                 const std::vector<PairCandidate>& cards) {
    std::multimap<std::string, std::size_t> byKey;
    std::multimap<std::string, std::size_t> byName;
    for (std::size_t i = 0; i < cards.size(); ++i) {
        for (const std::string& key : Keys(cards[i].fields))
            byKey.emplace(key, i);
        const std::string name = FoldedName(cards[i].fields[Field::Name]);
        if (!name.empty()) byName.emplace(name, i);
    }
    std::vector<FoundPair> pairs;
    std::set<std::size_t> taken;
    for (const PairCandidate& entry : entries) {
        const std::string name = FoldedName(entry.fields[Field::Name]);
        std::optional<FoundPair> best;
        std::size_t bestIndex = 0;
        for (const std::string& key : Keys(entry.fields)) {
            const auto [from, to] = byKey.equal_range(key);
            for (auto it = from; it != to; ++it) {
                if (taken.count(it->second) != 0) continue;
                const std::string other = FoldedName(cards[it->second].fields[Field::Name]);
                const bool agree = name.empty() || other.empty() || name == other;
                if (agree) {
                    best =
                        FoundPair{entry.id, cards[it->second].id, PairKind::Sure,
                                  key.starts_with("tel:") ? "the same number" : "the same e-mail"};
                    bestIndex = it->second;
                    break;
                }
                if (!best) {
                    best = FoundPair{entry.id, cards[it->second].id, PairKind::Likely,
                                     "a shared number or e-mail under another name"};
                    bestIndex = it->second;
                }
            }
            if (best && best->kind == PairKind::Sure) break;
        }
        if (!best && !name.empty()) {
            const auto [from, to] = byName.equal_range(name);
            for (auto it = from; it != to; ++it) {
                if (taken.count(it->second) != 0) continue;
                best = FoundPair{entry.id, cards[it->second].id, PairKind::Likely,
                                 "the same name with other numbers"};
                bestIndex = it->second;
                break;
            }
        }
        if (!best) continue;
        taken.insert(bestIndex);
        pairs.push_back(*best);
    }
    return pairs;
}

}  // namespace numora

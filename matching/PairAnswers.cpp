#include "matching/PairAnswers.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <vector>

namespace numora {

namespace {

constexpr std::string_view kSame = "same person";
constexpr std::string_view kDifferent = "different people";

// Identities are kept as ASCII: text from the book and from elsewhere meets in one file.
std::string Ascii(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80 && u != '%') {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        }
    }
    return out;
}

}  // namespace

std::string PairAnswers::Identity(const Person& p, NumberKeys& keys) {
    std::vector<std::string> numbers;
    for (const std::string& n : p.numbers)
        numbers.push_back(keys.Key(n));
    std::sort(numbers.begin(), numbers.end());
    std::vector<std::string> emails = p.emails;
    std::sort(emails.begin(), emails.end());
    std::string out = p.name;
    for (const std::string& n : numbers)
        out += " | " + n;
    for (const std::string& e : emails)
        out += " | " + e;
    return Ascii(out);
}

std::pair<std::string, std::string> PairAnswers::PairKey(const Person& a, const Person& b,
                                                         NumberKeys& keys) {
    std::string ia = Identity(a, keys);
    std::string ib = Identity(b, keys);
    if (ib < ia) std::swap(ia, ib);
    return {std::move(ia), std::move(ib)};
}

std::optional<Answer> PairAnswers::Find(const Person& a, const Person& b, NumberKeys& keys) const {
    if (m_answers.empty()) return std::nullopt;
    const auto found = m_answers.find(PairKey(a, b, keys));
    if (found == m_answers.end()) return std::nullopt;
    return found->second;
}

void PairAnswers::Set(const Person& a, const Person& b, Answer answer, NumberKeys& keys) {
    m_answers[PairKey(a, b, keys)] = answer;
}

void PairAnswers::Add(const PairAnswers& other) {
    for (const auto& [key, answer] : other.m_answers)
        m_answers[key] = answer;
}

std::string PairAnswers::ToJson() const {
    nlohmann::json pairs = nlohmann::json::array();
    for (const auto& [key, answer] : m_answers) {
        pairs.push_back({{"a", key.first},
                         {"b", key.second},
                         {"answer", answer == Answer::SamePerson ? kSame : kDifferent}});
    }
    return nlohmann::json{{"likelyPairs", pairs}}.dump(1) + "\n";
}

std::optional<PairAnswers> PairAnswers::FromJson(std::string_view text, std::string& error) {
    const nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
    if (doc.is_discarded() || !doc.is_object() || !doc.contains("likelyPairs") ||
        !doc["likelyPairs"].is_array()) {
        error = "not a file of answers for likely pairs";
        return std::nullopt;
    }
    PairAnswers answers;
    for (const nlohmann::json& p : doc["likelyPairs"]) {
        // An answer that cannot be read is asked again; the others stand.
        if (!p.is_object() || !p.contains("a") || !p.contains("b") || !p.contains("answer") ||
            !p["a"].is_string() || !p["b"].is_string() || !p["answer"].is_string()) {
            continue;
        }
        const std::string answer = p["answer"].get<std::string>();
        if (answer != kSame && answer != kDifferent) continue;
        std::string a = p["a"].get<std::string>();
        std::string b = p["b"].get<std::string>();
        if (b < a) std::swap(a, b);
        answers.m_answers[{std::move(a), std::move(b)}] =
            answer == kSame ? Answer::SamePerson : Answer::DifferentPeople;
    }
    return answers;
}

Judgement JudgePair(const Person& a, const Person& b, NumberKeys& keys,
                    const PairAnswers* answers) {
    const Match match = ComparePeople(a, b, keys);
    if (match.likeness == Likeness::Different) return {Verdict::Apart, match, false};
    if (match.likeness == Likeness::Sure) return {Verdict::Merge, match, false};
    const auto answer = answers == nullptr ? std::nullopt : answers->Find(a, b, keys);
    if (!answer) return {Verdict::Ask, match, false};
    return {*answer == Answer::SamePerson ? Verdict::Merge : Verdict::Apart, match, true};
}

}  // namespace numora

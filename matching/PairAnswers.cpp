#include "matching/PairAnswers.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <vector>

namespace numora {

namespace {

constexpr std::string_view kSame = "same person";
constexpr std::string_view kDifferent = "different people";

// Identities are kept as ASCII: text from the book and from elsewhere meets in one file. A bar
// is escaped too, since it parts a side's name from its marks.
std::string Ascii(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80 && u != '%' && u != '|') {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        }
    }
    return out;
}

constexpr std::string_view kSeparator = " | ";

}  // namespace

PairAnswers::Side PairAnswers::SideOf(const Person& p, NumberKeys& keys) {
    Side side{Ascii(p.name), {}};
    for (const std::string& n : p.numbers)
        side.marks.push_back(Ascii(keys.Key(n)));
    for (const std::string& e : p.emails)
        side.marks.push_back(Ascii(e));
    std::sort(side.marks.begin(), side.marks.end());
    side.marks.erase(std::unique(side.marks.begin(), side.marks.end()), side.marks.end());
    return side;
}

PairAnswers::Names PairAnswers::NamesOf(const Side& a, const Side& b) {
    return a.name <= b.name ? Names{a.name, b.name} : Names{b.name, a.name};
}

bool PairAnswers::Holds(const Given& given, const Side& a, const Side& b) {
    // A side that had no marks is known by its name alone: it stays that bare, or any namesake
    // would take the answer.
    const auto covers = [](const Side& now, const Side& then) {
        if (now.name != then.name) return false;
        if (then.marks.empty()) return now.marks.empty();
        return std::includes(now.marks.begin(), now.marks.end(), then.marks.begin(),
                             then.marks.end());
    };
    return (covers(a, given.a) && covers(b, given.b)) || (covers(a, given.b) && covers(b, given.a));
}

std::optional<Answer> PairAnswers::Find(const Person& a, const Person& b, NumberKeys& keys) const {
    if (m_answers.empty()) return std::nullopt;
    const Side sa = SideOf(a, keys);
    const Side sb = SideOf(b, keys);
    const auto [first, last] = m_answers.equal_range(NamesOf(sa, sb));
    std::optional<Answer> found;
    for (auto it = first; it != last; ++it) {
        if (Holds(it->second, sa, sb)) found = it->second.answer;
    }
    return found;
}

void PairAnswers::Put(Given given) {
    const Names names = NamesOf(given.a, given.b);
    const auto [first, last] = m_answers.equal_range(names);
    for (auto it = first; it != last;) {
        it = Holds(it->second, given.a, given.b) ? m_answers.erase(it) : std::next(it);
    }
    m_answers.emplace(names, std::move(given));
}

void PairAnswers::Set(const Person& a, const Person& b, Answer answer, NumberKeys& keys) {
    Put({SideOf(a, keys), SideOf(b, keys), answer});
}

void PairAnswers::Add(const PairAnswers& other) {
    for (const auto& [names, given] : other.m_answers)
        Put(given);
}

std::string PairAnswers::SideText(const Side& side) {
    std::string out = side.name;
    for (const std::string& m : side.marks)
        out += std::string(kSeparator) + m;
    return out;
}

PairAnswers::Side PairAnswers::SideOfText(std::string_view text) {
    Side side;
    std::size_t cut = text.find(kSeparator);
    side.name = std::string(text.substr(0, cut));
    while (cut != std::string_view::npos) {
        text.remove_prefix(cut + kSeparator.size());
        cut = text.find(kSeparator);
        side.marks.emplace_back(text.substr(0, cut));
    }
    std::sort(side.marks.begin(), side.marks.end());
    side.marks.erase(std::unique(side.marks.begin(), side.marks.end()), side.marks.end());
    return side;
}

std::string PairAnswers::ToJson() const {
    nlohmann::json pairs = nlohmann::json::array();
    for (const auto& [names, given] : m_answers) {
        pairs.push_back({{"a", SideText(given.a)},
                         {"b", SideText(given.b)},
                         {"answer", given.answer == Answer::SamePerson ? kSame : kDifferent}});
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
        answers.Put({SideOfText(p["a"].get<std::string>()), SideOfText(p["b"].get<std::string>()),
                     answer == kSame ? Answer::SamePerson : Answer::DifferentPeople});
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

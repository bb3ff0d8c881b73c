// The user's answers for likely pairs ("Same person" / "Different people"), so that a pair is
// asked about once. A side is known by its folded name and its marks (number keys, e-mails). An
// answer holds while each side still has its name and every mark it had when answered: a merge
// only adds to the entry, so the answer survives the merge it caused, while a namesake, or a
// contact without the numbers the user saw, is a new question. The answers travel as a small
// JSON text; where it is kept is the program's business.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "matching/Match.h"
#include "matching/NumberKeys.h"
#include "matching/Person.h"

namespace numora {

enum class Answer { SamePerson, DifferentPeople };

class PairAnswers {
public:
    [[nodiscard]] std::optional<Answer> Find(const Person& a, const Person& b,
                                             NumberKeys& keys) const;
    // The answer replaces any earlier one that holds for the pair.
    void Set(const Person& a, const Person& b, Answer answer, NumberKeys& keys);
    // Takes every answer of the other; the other's win.
    void Add(const PairAnswers& other);
    [[nodiscard]] bool Empty() const { return m_answers.empty(); }
    [[nodiscard]] std::size_t Size() const { return m_answers.size(); }

    [[nodiscard]] std::string ToJson() const;
    // Answers from their JSON text; nothing (with the reason) when the text is not theirs.
    [[nodiscard]] static std::optional<PairAnswers> FromJson(std::string_view text,
                                                             std::string& error);

private:
    struct Side {
        std::string name;
        std::vector<std::string> marks;  // sorted, each once
        bool operator==(const Side&) const = default;
    };
    struct Given {
        Side a;
        Side b;
        Answer answer;
    };
    using Names = std::pair<std::string, std::string>;  // in order

    static Side SideOf(const Person& p, NumberKeys& keys);
    // "name | mark | mark", as the JSON text holds a side.
    static std::string SideText(const Side& side);
    static Side SideOfText(std::string_view text);
    static bool Holds(const Given& given, const Side& a, const Side& b);
    static Names NamesOf(const Side& a, const Side& b);
    void Put(Given given);

    // By the two names; the latest answer last.
    std::multimap<Names, Given> m_answers;
};

// What becomes of two records that may be one person: merged (a sure pair, or a likely one the
// user called the same person), asked about (likely, not answered yet), or kept apart. The one
// rule for merging contacts, finding duplicates and pairing an address book's cards.
enum class Verdict { Merge, Ask, Apart };

struct Judgement {
    Verdict verdict = Verdict::Apart;
    Match match;
    bool answered = false;  // the user's answer decided it
};

[[nodiscard]] Judgement JudgePair(const Person& a, const Person& b, NumberKeys& keys,
                                  const PairAnswers* answers);

}  // namespace numora

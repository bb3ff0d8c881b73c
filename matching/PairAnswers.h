// The user's answers for likely pairs ("Same person" / "Different people"), so that a pair is
// asked about once. A side is known by what identifies it (folded name, number keys, e-mails):
// when one side gains a number, the pair is a new question. The answers travel as a small JSON
// text; where it is kept is the program's business.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "matching/Match.h"
#include "matching/NumberKeys.h"
#include "matching/Person.h"

namespace numora {

enum class Answer { SamePerson, DifferentPeople };

class PairAnswers {
public:
    [[nodiscard]] std::optional<Answer> Find(const Person& a, const Person& b,
                                             NumberKeys& keys) const;
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
    static std::string Identity(const Person& p, NumberKeys& keys);
    static std::pair<std::string, std::string> PairKey(const Person& a, const Person& b,
                                                       NumberKeys& keys);

    std::map<std::pair<std::string, std::string>, Answer> m_answers;
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

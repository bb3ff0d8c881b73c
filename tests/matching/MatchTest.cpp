// Whether two records are one person: folded names, numbers under a home region, the rule that
// decides a pair, and the answers that are remembered for likely pairs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "matching/Match.h"
#include "matching/PairAnswers.h"

namespace numora {
namespace {

TEST(MatchTest, NamesFoldWithoutCaseAccentsPunctuationOrWordOrder) {
    const std::string anna = FoldName("Anna Meyer");
    EXPECT_EQ(anna, "anna meyer");
    for (const char* same :
         {"Meyer, Anna", "ANNA  MEYER", "\xC0nna Meyer", "anna-meyer", "Meyer Anna."})
        EXPECT_EQ(FoldName(same), anna) << same;
    EXPECT_EQ(FoldName("Stra\xDF"
                       "e"),
              "strasse");
    EXPECT_EQ(FoldName(" , "), "");
    EXPECT_EQ(FoldName("Liz"), "liz");
    // UTF-8 from an address book folds as the book's bytes do; letters without a Latin-1 form
    // stay, so two such names still compare and never fold to nothing.
    EXPECT_EQ(FoldNameUtf8("Łukasz Żółć"), FoldName("Lukasz Z\xF3l\x63"));
    EXPECT_EQ(FoldNameUtf8("Zoë Ångström"), "angstrom zoe");
    EXPECT_EQ(FoldNameUtf8("Jānis Āboliņš"), "abolins janis");
    EXPECT_EQ(FoldNameUtf8("Иван Петров"), FoldNameUtf8("Петров, Иван"));
    EXPECT_NE(FoldNameUtf8("Иван Петров"), FoldNameUtf8("Ольга Петрова"));
    EXPECT_NE(FoldNameUtf8("Иван"), "");
    EXPECT_EQ(FoldEmail(" Anna.Meyer@Example.ORG "), "anna.meyer@example.org");
}

TEST(MatchTest, NamesAgreeWhenOneHoldsAllTheOthersWords) {
    struct Case {
        const char* a;
        const char* b;
        bool agree;
    };
    const Case cases[] = {
        {"Meyer, Anna", "Anna Meyer", true},
        {"Anna Maria Meyer", "Anna Meyer", true},
        {"Anna Meyer", "Anna", false},  // one word says too little
        {"Anna Meyer", "Tom Meyer", false},
        {"Anna Anna", "Anna Meyer", false},
        {"Anna Meyer", "Anna Maria Beyer", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NamesAgree(FoldName(c.a), FoldName(c.b)), c.agree) << c.a << " / " << c.b;
}

// The same number written four ways, in several countries, is one number at home; a short
// number never matches a long one by its tail.
TEST(MatchTest, OneNumberWrittenFourWaysIsOneNumber) {
    struct Case {
        const char* region;
        std::vector<std::string> forms;
    };
    const Case cases[] = {
        {"DE", {"+49 170 1234567", "0170/1234567", "01701234567", "0049 (170) 123 45 67"}},
        {"GB", {"+44 7700 900123", "07700 900123", "07700-900-123", "0044 7700 900 123"}},
        {"US", {"+1 (415) 555-0123", "(415) 555-0123", "415.555.0123", "1-415-555-0123"}},
        {"FR", {"+33 6 12 34 56 78", "06 12 34 56 78", "0033612345678", "06.12.34.56.78"}},
        {"CH", {"+41 44 668 18 00", "044 668 18 00", "0446681800", "0041 44 668 1800"}},
    };
    for (const Case& c : cases) {
        NumberKeys keys{PhoneNumbers(c.region)};
        const PhoneNumbers& numbers = keys.Numbers();
        const std::string first = numbers.Dialable(c.forms[0]).digits;
        for (const std::string& form : c.forms) {
            const std::string dialable = numbers.Dialable(form).digits;
            EXPECT_TRUE(keys.Same(first, dialable)) << c.region << ": " << form;
            EXPECT_EQ(NumberKeys::Tail(dialable), NumberKeys::Tail(first))
                << c.region << ": " << form;
        }
    }
    NumberKeys de{PhoneNumbers("DE")};
    EXPECT_FALSE(de.Same("4567", "01701234567"));
    EXPECT_FALSE(de.Same("1234567", "01701234567"));
    EXPECT_FALSE(de.Same("01701234567", "01701234567P12"));
    EXPECT_FALSE(de.Same("", ""));
}

Person P(const char* name, std::vector<std::string> numbers, std::vector<std::string> emails = {}) {
    return PersonOf(name, numbers, emails);
}

TEST(MatchTest, APairIsSureLikelyOrDifferentByNamedRules) {
    NumberKeys keys{PhoneNumbers("DE")};
    struct Case {
        Person a;
        Person b;
        Likeness likeness;
        MatchRule rule;
    };
    const Case cases[] = {
        {P("Anna Meyer", {"01701234567"}), P("Meyer, Anna", {"00491701234567"}), Likeness::Sure,
         MatchRule::SharedNumber},
        {P("Anna Meyer", {}, {"Anna@Example.org"}), P("anna meyer", {"0301"}, {"anna@example.org"}),
         Likeness::Sure, MatchRule::SharedEmail},
        {P("", {"0301234567"}), P("Mum", {"030 1234567"}), Likeness::Sure,
         MatchRule::SharedWithoutName},
        // A family's landline under two names is asked about, never merged.
        {P("Anna Meyer", {"0301234567"}), P("Tom Meyer", {"0301234567"}), Likeness::Likely,
         MatchRule::SharedNumberOtherNames},
        {P("Anna", {}, {"home@meyer.de"}), P("Tom", {}, {"home@meyer.de"}), Likeness::Likely,
         MatchRule::SharedEmailOtherNames},
        // Namesakes, or one person with a new number.
        {P("Anna Meyer", {"01701234567"}), P("Meyer, Anna", {"01719876543"}), Likeness::Likely,
         MatchRule::SameNameOtherNumbers},
        {P("Anna Meyer", {"01701234567"}), P("Anna Maria Meyer", {"01719876543"}),
         Likeness::Different, MatchRule::None},
        {P("", {"01701234567"}), P("", {"01719876543"}), Likeness::Different, MatchRule::None},
    };
    for (const Case& c : cases) {
        for (const auto& [a, b] : {std::pair(&c.a, &c.b), std::pair(&c.b, &c.a)}) {
            const Match m = ComparePeople(*a, *b, keys);
            EXPECT_EQ(m.likeness, c.likeness) << a->name << " / " << b->name;
            EXPECT_EQ(m.rule, c.rule) << a->name << " / " << b->name;
        }
    }
}

TEST(MatchTest, TheIndexFindsCandidatesByNumberEmailOrName) {
    PersonIndex index;
    index.Add(3, P("Anna Meyer", {"01701234567"}));
    index.Add(7, P("Tom", {"0301111"}, {"tom@x.de"}));
    index.Add(9, P("Meyer, Anna", {}));
    index.Add(12, P("Zed", {"0409999"}));
    EXPECT_EQ(index.Candidates(P("", {"00491701234567"})), std::vector<int>{3});
    // Anna is found by her number and her name, and named once.
    EXPECT_EQ(index.Candidates(P("anna meyer", {"01701234567"}, {"TOM@x.de"})),
              (std::vector<int>{3, 7, 9}));
    EXPECT_TRUE(index.Candidates(P("Bob", {"0305555"})).empty());
}

TEST(MatchTest, AnswersAreFoundForEitherOrderAndSurviveTheirText) {
    NumberKeys keys{PhoneNumbers("DE")};
    const Person anna = P("Anna Meyer", {"01701234567"});
    const Person anna2 = P("Meyer, Anna", {"+49 171 9876543"});
    const Person tom = P("Tom Meyer", {"01701234567"}, {"T\xE9\x80@x"});
    PairAnswers answers;
    answers.Set(anna, anna2, Answer::SamePerson, keys);
    answers.Set(tom, anna, Answer::DifferentPeople, keys);
    std::string error;
    const auto back = PairAnswers::FromJson(answers.ToJson(), error);
    ASSERT_TRUE(back.has_value()) << error;
    // The same people written another way are the same question.
    EXPECT_EQ(
        back->Find(P("anna meyer", {"+491719876543"}), P("Anna Meyer", {"0170 1234567"}), keys),
        Answer::SamePerson);
    EXPECT_EQ(back->Find(anna, tom, keys), Answer::DifferentPeople);
    // A side that gained a number (as a merge gives it) is the same question; one without a
    // number the user saw, or a namesake, is a new one.
    EXPECT_EQ(back->Find(P("Anna Meyer", {"01701234567", "0301"}), tom, keys),
              Answer::DifferentPeople);
    EXPECT_FALSE(back->Find(P("Anna Meyer", {"01701234567"}), P("Tom Meyer", {"01701234567"}), keys)
                     .has_value());
    EXPECT_FALSE(back->Find(anna, P("Anna Meyer", {"0160 5555555"}), keys).has_value());
    // A side that had nothing but its name does not stand for every namesake.
    answers.Set(P("Tom Meyer", {}), P("Tom Meyer", {"0301"}), Answer::SamePerson, keys);
    EXPECT_FALSE(
        answers.Find(P("Tom Meyer", {"0302"}), P("Tom Meyer", {"0301"}), keys).has_value());
    // A later answer for the pair replaces the earlier one.
    answers.Set(P("Anna Meyer", {"01701234567", "0301"}), tom, Answer::SamePerson, keys);
    EXPECT_EQ(answers.Find(P("Anna Meyer", {"01701234567", "0301"}), tom, keys),
              Answer::SamePerson);
    EXPECT_FALSE(PairAnswers::FromJson("[1,2", error).has_value());
    EXPECT_FALSE(error.empty());
    // An answer that cannot be read is asked again; the others stand.
    const auto partly = PairAnswers::FromJson(
        R"({"likelyPairs":[{"a":"x","b":"y","answer":"maybe"},{"a":"x","answer":"same person"},)"
        R"({"a":"x","b":1,"answer":"same person"},{"a":"q","b":"p","answer":"same person"}]})",
        error);
    ASSERT_TRUE(partly.has_value());
    EXPECT_EQ(partly->Size(), 1u);
    // Answers given in the merge window join those on file, which older files name alike.
    answers.Add(*partly);
    EXPECT_EQ(answers.Find(P("q", {}), P("p", {}), keys), Answer::SamePerson);
}

// The verdict every caller acts on: sure pairs merge, likely ones are asked until answered.
TEST(MatchTest, AVerdictMergesSurePairsAndAsksAboutLikelyOnesUntilAnswered) {
    NumberKeys keys{PhoneNumbers("DE")};
    const Person anna = P("Anna Meyer", {"01701234567"});
    const Person family = P("Tom Meyer", {"01701234567"});
    const Person namesake = P("Meyer, Anna", {"0301"});
    PairAnswers answers;
    answers.Set(anna, namesake, Answer::DifferentPeople, keys);
    answers.Set(family, anna, Answer::SamePerson, keys);
    struct Case {
        Person a;
        Person b;
        const PairAnswers* answers;
        Verdict verdict;
        bool answered;
    };
    const Case cases[] = {
        {anna, P("Meyer, Anna", {"+49 170 1234567"}), &answers, Verdict::Merge, false},
        {anna, family, nullptr, Verdict::Ask, false},
        {anna, family, &answers, Verdict::Merge, true},
        {namesake, anna, &answers, Verdict::Apart, true},
        {anna, P("Bob", {"0409"}), &answers, Verdict::Apart, false},
    };
    for (const Case& c : cases) {
        const Judgement j = JudgePair(c.a, c.b, keys, c.answers);
        EXPECT_EQ(j.verdict, c.verdict) << c.a.name << " / " << c.b.name;
        EXPECT_EQ(j.answered, c.answered) << c.a.name << " / " << c.b.name;
    }
}

}  // namespace
}  // namespace numora

// The rules the window's fields follow: which characters a number may hold, which numbers the
// handset refuses to store (emergency and service codes), and what text the handset can show.
#pragma once

#include <QString>
#include <QValidator>
#include <optional>
#include <string_view>

class QLineEdit;

namespace numora {

inline constexpr std::string_view kInsufficientInformation = "Insufficient Information!";

// The message for a refused number of a kind index (0 Mobile .. 4 Fax).
std::string_view ProhibitMessage(int kindIndex);

// True when the whole number is one the handset refuses, compared without regard to case.
[[nodiscard]] bool IsProhibitedNumber(const QString& number);

// A number keeps only 0 to 9, P, T, # and *. The caret moves left by one for every character
// dropped before it.
struct CleanedNumber {
    QString text;
    int caret;
};
[[nodiscard]] CleanedNumber CleanNumber(const QString& text, int caret);

// Text as the handset can show it: every character in its nearest Latin-1 form (the one rule of
// the book, also used by imports), the caret moved with the text before it. Nothing when a
// character has no such form.
struct FittedText {
    QString text;
    int caret;
};
[[nodiscard]] std::optional<FittedText> HandsetText(const QString& text, int caret);

// The text fields (names, e-mail, wireless address, memo) hold only what the handset can show.
// What is typed or pasted turns into its nearest Latin-1 form at once, so the field shows what
// will be stored; a character with no form, or one whose form would no longer fit the field, is
// refused with a beep.
class HandsetTextValidator : public QValidator {
public:
    HandsetTextValidator(int maxLength, QObject* parent);
    State validate(QString& input, int& pos) const override;

private:
    int m_maxLength;
};

// Puts the rule on an edit; its maximum length must be set first.
void AcceptHandsetText(QLineEdit* edit);

}  // namespace numora

// The rules an entry's numbers follow in the panel: which characters a number may hold, and
// which numbers the handset refuses to store (emergency and service codes).
#pragma once

#include <QString>
#include <string_view>

namespace numora {

inline constexpr std::string_view kInsufficientInformation = "Insufficient Information!";

// The message for a refused number of a kind index (0 Mobile .. 4 Fax).
std::string_view ProhibitMessage(int kindIndex);

// True when the whole number is one the handset refuses, compared without regard to case.
bool IsProhibitedNumber(const QString& number);

// A number keeps only 0 to 9, P, T, # and *. The caret moves left by one for every character
// dropped before it.
struct CleanedNumber {
    QString text;
    int caret;
};
CleanedNumber CleanNumber(const QString& text, int caret);

}  // namespace numora

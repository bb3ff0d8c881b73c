#include "ui/EntryRules.h"

#include <QStringList>
#include <array>

namespace numora {

namespace {

constexpr std::array<std::string_view, 5> kProhibitMessages = {
    "Cannot use Prohibit Number(Mobile)", "Cannot use Prohibit Number(Home)",
    "Cannot use Prohibit Number(Office)", "Cannot use Prohibit Number(Pager)",
    "Cannot use Prohibit Number(Fax)",
};

QStringList BuildProhibited() {
    QStringList list = {QStringLiteral("911"), QStringLiteral("*911"), QStringLiteral("#911"),
                        QStringLiteral("923"), QStringLiteral("*228")};
    for (int n = 0; n <= 7; ++n)
        list << QStringLiteral("*2280%1").arg(n);
    for (int n = 22880; n <= 22899; ++n)
        list << QStringLiteral("*%1").arg(n);
    return list;
}

bool IsNumberChar(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('P') ||
           c == QLatin1Char('T') || c == QLatin1Char('#') || c == QLatin1Char('*');
}

}  // namespace

std::string_view ProhibitMessage(int kindIndex) {
    if (kindIndex < 0 || kindIndex >= static_cast<int>(kProhibitMessages.size())) return {};
    return kProhibitMessages[static_cast<std::size_t>(kindIndex)];
}

bool IsProhibitedNumber(const QString& number) {
    static const QStringList kProhibited = BuildProhibited();
    return kProhibited.contains(number, Qt::CaseInsensitive);
}

CleanedNumber CleanNumber(const QString& text, int caret) {
    CleanedNumber out{QString(), caret};
    out.text.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsNumberChar(text[i])) {
            out.text += text[i];
        } else if (i < caret) {
            --out.caret;
        }
    }
    return out;
}

}  // namespace numora

#include "ui/EntryRules.h"

#include <QApplication>
#include <QLineEdit>
#include <QStringList>
#include <algorithm>
#include <array>

#include "text/HandsetText.h"

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

std::optional<FittedText> HandsetText(const QString& text, int caret) {
    // Decomposed accents ("e" and a combining acute) become the Latin-1 letter they make up.
    const QString composed = text.normalized(QString::NormalizationForm_C);
    if (composed.size() != text.size())
        caret = std::max(0, caret - static_cast<int>(text.size() - composed.size()));
    FittedText out{QString(), caret};
    out.text.reserve(composed.size());
    for (qsizetype i = 0; i < composed.size();) {
        char32_t cp = composed[i].unicode();
        qsizetype width = 1;
        if (composed[i].isHighSurrogate() && i + 1 < composed.size() &&
            composed[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(composed[i], composed[i + 1]);
            width = 2;
        }
        const std::optional<std::string> form = NearestLatin1(cp);
        if (!form) return std::nullopt;
        out.text += QString::fromLatin1(form->data(), static_cast<qsizetype>(form->size()));
        if (i < caret) out.caret += static_cast<int>(form->size()) - static_cast<int>(width);
        i += width;
    }
    out.caret = std::clamp(out.caret, 0, static_cast<int>(out.text.size()));
    return out;
}

HandsetTextValidator::HandsetTextValidator(int maxLength, QObject* parent)
    : QValidator(parent), m_maxLength(maxLength) {}

QValidator::State HandsetTextValidator::validate(QString& input, int& pos) const {
    const std::optional<FittedText> fit = HandsetText(input, pos);
    if (!fit || fit->text.size() > m_maxLength) return Invalid;
    input = fit->text;
    pos = fit->caret;
    return Acceptable;
}

void AcceptHandsetText(QLineEdit* edit) {
    edit->setValidator(new HandsetTextValidator(edit->maxLength(), edit));
    QObject::connect(edit, &QLineEdit::inputRejected, edit, [] { QApplication::beep(); });
}

}  // namespace numora

#include "text/QtCharsets.h"

#include <QByteArray>
#include <QString>
#include <QTextCodec>

namespace numora {

std::optional<std::string> QtCharsets::Decode(std::string_view charset,
                                              std::string_view bytes) const {
    // The Unicode forms and Latin-1 need no codec; Qt's would accept broken UTF-8 quietly.
    if (auto text = BuiltinCharsets().Decode(charset, bytes)) return text;
    if (SameCharset(charset, "UTF-8") || SameCharset(charset, "US-ASCII")) return std::nullopt;
    QTextCodec* codec = QTextCodec::codecForName(
        QByteArray(charset.data(), static_cast<qsizetype>(charset.size())));
    if (codec == nullptr) return std::nullopt;
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QString text = codec->toUnicode(bytes.data(), static_cast<int>(bytes.size()), &state);
    if (state.invalidChars > 0 || state.remainingChars > 0) return std::nullopt;
    return text.toStdString();
}

}  // namespace numora

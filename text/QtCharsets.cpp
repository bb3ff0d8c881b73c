#include "text/QtCharsets.h"

#include <QByteArray>
#include <QString>
#include <QTextCodec>
#include <map>
#include <mutex>

namespace numora {

// Finding a codec by name and opening its converter are slow, and a file names few sets and
// repeats them on every value: both are kept, one converter for each set.
struct QtCharsets::Converters {
    struct Converter {
        QTextCodec* codec = nullptr;
        std::unique_ptr<QTextCodec::ConverterState> state;
    };
    std::mutex lock;
    std::map<std::string, Converter, std::less<>> byName;
};

QtCharsets::QtCharsets() : m_converters(std::make_unique<Converters>()) {}

QtCharsets::~QtCharsets() = default;

std::optional<std::string> QtCharsets::Decode(std::string_view charset,
                                              std::string_view bytes) const {
    // The Unicode forms and Latin-1 need no codec; Qt's would accept broken UTF-8 quietly.
    if (auto text = BuiltinCharsets().Decode(charset, bytes)) return text;
    if (SameCharset(charset, "UTF-8") || SameCharset(charset, "US-ASCII")) return std::nullopt;
    const std::lock_guard<std::mutex> hold(m_converters->lock);
    auto it = m_converters->byName.find(charset);
    if (it == m_converters->byName.end()) {
        Converters::Converter c;
        c.codec = QTextCodec::codecForName(
            QByteArray(charset.data(), static_cast<qsizetype>(charset.size())));
        it = m_converters->byName.emplace(std::string(charset), std::move(c)).first;
    }
    Converters::Converter& c = it->second;
    if (c.codec == nullptr) return std::nullopt;
    if (!c.state) c.state = std::make_unique<QTextCodec::ConverterState>(QTextCodec::IgnoreHeader);
    c.state->invalidChars = 0;
    c.state->remainingChars = 0;
    const QString text =
        c.codec->toUnicode(bytes.data(), static_cast<int>(bytes.size()), c.state.get());
    if (c.state->invalidChars > 0 || c.state->remainingChars > 0) {
        c.state.reset();  // a value cut inside a character leaves nothing for the next one
        return std::nullopt;
    }
    return text.toStdString();
}

}  // namespace numora

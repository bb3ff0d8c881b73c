#include "sim/SimArgs.h"

#include <set>
#include <string_view>

#include "text/ParseNumbers.h"

namespace numora {

namespace {

// The options that take a request number, and the fault each one sets.
struct RequestFault {
    const char* name;
    const char* help;
    std::set<int> SimFaults::*at;
};

constexpr RequestFault kRequestFaults[] = {
    {"refuse-mode-at", "Refuses request N as being in the wrong mode.", &SimFaults::refuseModeAt},
    {"drop", "Carries out request N and loses its reply.", &SimFaults::dropAt},
    {"garble", "Damages the reply to request N, keeping its check sequence.", &SimFaults::garbleAt},
    {"bad-fcs", "Sends the reply to request N with a damaged check sequence.",
     &SimFaults::badFcsAt},
    {"twice", "Sends the reply to request N twice.", &SimFaults::twiceAt},
    {"split", "Sends the reply to request N in two halves, --split-pause apart.",
     &SimFaults::splitAt},
    {"hangup", "Hangs up at request N without answering.", &SimFaults::hangupAt},
};

// The options that take a count or a time, from 0.
struct CountFault {
    const char* name;
    const char* help;
    const char* valueName;
    int SimFaults::*value;
};

constexpr CountFault kCountFaults[] = {
    {"busy", "Answers the first N status polls as not ready.", "N", &SimFaults::busyPolls},
    {"busy-for", "Answers status polls as not ready for MS milliseconds after the first.", "MS",
     &SimFaults::busyForMs},
    {"split-pause", "The pause between the halves of a --split reply (1000).", "MS",
     &SimFaults::splitPauseMs},
    {"delay", "Answers item and record requests MS milliseconds late.", "MS",
     &SimFaults::recordDelayMs},
};

QString Name(const char* name) {
    return QString::fromLatin1(name);
}

std::optional<int> Number(const QString& text, int least) {
    const std::string utf8 = text.toStdString();
    const std::optional<int> value = ParseWholeNumber(utf8);
    if (!value || *value < least) return {};
    return value;
}

std::optional<Password> HexPassword(const QString& text) {
    Password p{};
    if (!ParseHexBytes(text.toStdString(), p)) return {};
    return p;
}

}  // namespace

void DeclareSimOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral(
        "A KXT-5507 handset on a pseudo-terminal: prints the terminal's path on the first line\n"
        "and answers there until SIGINT or SIGTERM. Request numbers N count framed requests\n"
        "from 1; a request-number option may be given more than once."));
    const auto add = [&](const char* name, const char* help, const char* valueName = nullptr) {
        parser.addOption(QCommandLineOption(Name(name), QString::fromLatin1(help),
                                            valueName ? Name(valueName) : QString()));
    };
    add("book", "The book the handset starts with (empty without it).", "FILE.pb");
    add("save", "Where the handset's book is written when the simulator stops.", "FILE.pb");
    add("link", "A symbolic link to the terminal, for a fixed name.", "PATH");
    add("trace", "Shows every request and reply on stderr.");
    add("wire-speed", "Sends no faster than 115200 baud would.");
    add("password", "The password the handset accepts, 16 hexadecimal digits.", "HEX");
    add("refuse-password", "Refuses every password.");
    add("refuse-mode", "Refuses every request but the mode change, for ever.");
    add("talk",
        "No handset at all: sends console text (text) or frame flags (flags) without pause, and "
        "answers nothing.",
        "KIND");
    for (const CountFault& f : kCountFaults)
        add(f.name, f.help, f.valueName);
    for (const RequestFault& f : kRequestFaults)
        add(f.name, f.help, "N");
}

std::optional<SimArgs> TakeSimArgs(const QCommandLineParser& parser, std::string& error) {
    SimArgs out;
    out.trace = parser.isSet(QStringLiteral("trace"));
    out.wireSpeed = parser.isSet(QStringLiteral("wire-speed"));
    out.faults.refusePassword = parser.isSet(QStringLiteral("refuse-password"));
    out.faults.refuseMode = parser.isSet(QStringLiteral("refuse-mode"));
    for (const auto& [name, path] :
         {std::pair{"book", &out.bookPath}, std::pair{"save", &out.savePath},
          std::pair{"link", &out.linkPath}}) {
        if (!parser.isSet(Name(name))) continue;
        *path = parser.value(Name(name)).toStdString();
        if (path->empty()) {
            error = std::string("--") + name + " needs a value";
            return {};
        }
    }
    if (parser.isSet(QStringLiteral("talk"))) {
        const QString talk = parser.value(QStringLiteral("talk"));
        if (talk != QLatin1String("text") && talk != QLatin1String("flags")) {
            error = "--talk takes text or flags";
            return {};
        }
        out.faults.talk = talk == QLatin1String("text") ? SimTalk::Text : SimTalk::Flags;
    }
    if (parser.isSet(QStringLiteral("password"))) {
        out.password = HexPassword(parser.value(QStringLiteral("password")));
        if (!out.password) {
            error = "--password takes 16 hexadecimal digits";
            return {};
        }
    }
    for (const CountFault& f : kCountFaults) {
        if (!parser.isSet(Name(f.name))) continue;
        const auto n = Number(parser.value(Name(f.name)), 0);
        if (!n) {
            error = std::string("--") + f.name + " takes a number";
            return {};
        }
        out.faults.*f.value = *n;
    }
    for (const RequestFault& f : kRequestFaults) {
        for (const QString& value : parser.values(Name(f.name))) {
            const auto n = Number(value, 1);
            if (!n) {
                error = std::string("--") + f.name + " takes a number from 1 (a request number)";
                return {};
            }
            (out.faults.*f.at).insert(*n);
        }
    }
    return out;
}

}  // namespace numora

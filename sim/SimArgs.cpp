#include "sim/SimArgs.h"

#include "book/ParseNumbers.h"

namespace numora {

const std::string_view kSimUsage =
    "usage: numora-sim [--book FILE.pb] [--save FILE.pb] [--link PATH] [--trace] [--wire-speed]\n"
    "                  [--busy N] [--busy-for MS] [--refuse-password] [--refuse-mode]\n"
    "                  [--refuse-mode-at N] [--drop N] [--garble N] [--bad-fcs N] [--twice N]\n"
    "                  [--split N] [--split-pause MS] [--delay MS] [--hangup N]\n"
    "                  [--password HEX16] [--talk text|flags]\n";

namespace {

std::optional<int> Number(std::string_view text, int least) {
    const std::optional<int> value = ParseWholeNumber(text);
    if (!value || *value < least) return {};
    return value;
}

std::optional<Password> HexPassword(std::string_view text) {
    Password p{};
    if (!ParseHexBytes(text, p)) return {};
    return p;
}

}  // namespace

std::optional<SimArgs> ParseSimArgs(std::span<const std::string_view> args, std::string& error) {
    SimArgs out;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string_view opt = args[k];
        if (opt == "--trace") {
            out.trace = true;
            continue;
        }
        if (opt == "--wire-speed") {
            out.wireSpeed = true;
            continue;
        }
        if (opt == "--refuse-password") {
            out.faults.refusePassword = true;
            continue;
        }
        if (opt == "--refuse-mode") {
            out.faults.refuseMode = true;
            continue;
        }
        const bool takesValue = opt == "--book" || opt == "--save" || opt == "--link" ||
                                opt == "--busy" || opt == "--busy-for" || opt == "--split-pause" ||
                                opt == "--delay" || opt == "--refuse-mode-at" || opt == "--drop" ||
                                opt == "--garble" || opt == "--bad-fcs" || opt == "--twice" ||
                                opt == "--split" || opt == "--hangup" || opt == "--password" ||
                                opt == "--talk";
        if (!takesValue) {
            error = "unknown option " + std::string(opt);
            return {};
        }
        if (k + 1 == args.size() || args[k + 1].empty()) {
            error = std::string(opt) + " needs a value";
            return {};
        }
        const std::string_view value = args[++k];
        if (opt == "--book") {
            out.bookPath = value;
        } else if (opt == "--save") {
            out.savePath = value;
        } else if (opt == "--link") {
            out.linkPath = value;
        } else if (opt == "--talk") {
            if (value != "text" && value != "flags") {
                error = "--talk takes text or flags";
                return {};
            }
            out.faults.talk = value == "text" ? SimTalk::Text : SimTalk::Flags;
        } else if (opt == "--password") {
            out.password = HexPassword(value);
            if (!out.password) {
                error = "--password takes 16 hexadecimal digits";
                return {};
            }
        } else {
            // Poll counts and times start at 0, request numbers at 1.
            const bool count = opt == "--busy" || opt == "--busy-for" || opt == "--split-pause" ||
                               opt == "--delay";
            const auto n = Number(value, count ? 0 : 1);
            if (!n) {
                error = std::string(opt) + " takes a number" +
                        (count ? "" : " from 1 (a request number)");
                return {};
            }
            if (opt == "--busy") out.faults.busyPolls = *n;
            if (opt == "--busy-for") out.faults.busyForMs = *n;
            if (opt == "--split-pause") out.faults.splitPauseMs = *n;
            if (opt == "--delay") out.faults.recordDelayMs = *n;
            if (opt == "--bad-fcs") out.faults.badFcsAt.insert(*n);
            if (opt == "--twice") out.faults.twiceAt.insert(*n);
            if (opt == "--split") out.faults.splitAt.insert(*n);
            if (opt == "--refuse-mode-at") out.faults.refuseModeAt.insert(*n);
            if (opt == "--drop") out.faults.dropAt.insert(*n);
            if (opt == "--garble") out.faults.garbleAt.insert(*n);
            if (opt == "--hangup") out.faults.hangupAt.insert(*n);
        }
    }
    return out;
}

}  // namespace numora

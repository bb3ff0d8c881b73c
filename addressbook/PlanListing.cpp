#include "addressbook/PlanListing.h"

#include "formats/Contacts.h"

namespace numora {

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + Clip(text) + "\"";
}

// A name cut to the handset's 16 characters may be many people's: the card's own name tells
// which one is meant.
std::string CardName(const ContactPlan& c) {
    return c.cardName.empty() || c.cardName == c.label ? std::string()
                                                       : " (card " + Quoted(c.cardName) + ")";
}

std::string Entry(const ContactPlan& c) {
    return "entry " + std::to_string(c.slot.value_or(-1)) + " " + Quoted(c.label) + CardName(c);
}

std::string OnServer(const ContactPlan& c) {
    return "card " + Quoted(c.cardName.empty() ? c.label : c.cardName);
}

void FieldLines(std::vector<std::string>& out, const std::string& head,
                const std::vector<FieldChange>& changes) {
    for (const FieldChange& f : changes) {
        out.push_back(head + ": " + std::string(FieldName(f.field)) + " " + Quoted(f.from) +
                      " -> " + Quoted(f.to));
    }
}

}  // namespace

std::string ConflictText(const SyncConflict& c) {
    return c.bookWins
               ? "the handset's " + Quoted(c.book) + " wins over the server's " + Quoted(c.server)
               : "the server's " + Quoted(c.server) + " wins over the handset's " + Quoted(c.book);
}

std::vector<std::string> PlanLines(const SyncPlan& plan, const std::vector<bool>* done) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < plan.contacts.size(); ++i) {
        const ContactPlan& c = plan.contacts[i];
        const bool cardDone = done == nullptr || (i < done->size() && (*done)[i]);
        switch (c.bookAction) {
            case BookAction::None:
                break;
            case BookAction::Add:
                out.push_back("handset: add " + Entry(c));
                break;
            case BookAction::Change:
                FieldLines(out, "handset: " + Entry(c), c.bookChanges);
                break;
            case BookAction::Empty:
                out.push_back("handset: empty " + Entry(c));
                break;
        }
        if (!cardDone && c.cardAction != CardAction::None) {
            out.push_back("server: left for the next sync: " + (c.cardAction == CardAction::Create
                                                                    ? "new card " + Quoted(c.label)
                                                                    : OnServer(c)));
        } else {
            switch (c.cardAction) {
                case CardAction::None:
                    break;
                case CardAction::Create:
                    out.push_back("server: new card " + Quoted(c.label));
                    break;
                case CardAction::Change:
                    FieldLines(out, "server: " + OnServer(c), c.cardChanges);
                    break;
                case CardAction::Delete:
                    out.push_back("server: delete " + OnServer(c) + " (" + c.href + ")");
                    break;
            }
        }
        for (const SyncConflict& k : c.conflicts) {
            out.push_back("conflict: " + Quoted(c.label) + " " + std::string(FieldName(k.field)) +
                          ": " + ConflictText(k));
        }
        if (!c.note.empty()) out.push_back("note: " + Quoted(c.label) + ": " + c.note);
    }
    for (const SyncLikelyPair& p : plan.likely) {
        const std::string pair = std::to_string(p.slot) + "=" + p.href;
        std::string line = "likely pair: entry " + std::to_string(p.slot) + " " +
                           Quoted(p.bookName) + " and card " + Quoted(p.serverName) + " (" +
                           p.href + "): " + p.why;
        line += " (--same " + pair;
        line += " or --different " + pair + ")";
        out.push_back(std::move(line));
    }
    for (const std::string& name : plan.notOnHandset)
        out.push_back("not on the handset: " + Quoted(name));
    return out;
}

}  // namespace numora

#include "addressbook/PlanListing.h"

#include "formats/Contacts.h"

namespace numora {

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + Clip(text) + "\"";
}

std::string Entry(const ContactPlan& c) {
    return "entry " + std::to_string(c.slot.value_or(-1)) + " " + Quoted(c.label);
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

std::vector<std::string> PlanLines(const SyncPlan& plan) {
    std::vector<std::string> out;
    for (const ContactPlan& c : plan.contacts) {
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
        switch (c.cardAction) {
            case CardAction::None:
                break;
            case CardAction::Create:
                out.push_back("server: new card " + Quoted(c.label));
                break;
            case CardAction::Change:
                FieldLines(out, "server: card " + Quoted(c.label), c.cardChanges);
                break;
            case CardAction::Delete:
                out.push_back("server: delete card " + Quoted(c.label));
                break;
        }
        for (const SyncConflict& k : c.conflicts) {
            out.push_back("conflict: " + Quoted(c.label) + " " + std::string(FieldName(k.field)) +
                          ": " + ConflictText(k));
        }
        if (!c.note.empty()) out.push_back("note: " + Quoted(c.label) + ": " + c.note);
    }
    for (const SyncLikelyPair& p : plan.likely) {
        const std::string pair = std::to_string(p.slot) + "=" + p.href;
        out.push_back("likely pair: entry " + std::to_string(p.slot) + " " + Quoted(p.bookName) +
                      " and card " + Quoted(p.serverName) + " (" + p.href + "): " + p.why +
                      " (--same " + pair + " or --different " + pair + ")");
    }
    for (const std::string& name : plan.notOnHandset)
        out.push_back("not on the handset: " + Quoted(name));
    return out;
}

}  // namespace numora

#include "addressbook/SyncState.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace numora {

namespace {
constexpr int kStateVersion = 1;
}

const CardState* AddressBookState::Card(std::string_view href) const {
    const auto it = std::find_if(cards.begin(), cards.end(),
                                 [href](const CardState& c) { return c.href == href; });
    return it == cards.end() ? nullptr : &*it;
}

int AddressBookState::PairedCount() const {
    return static_cast<int>(
        std::count_if(cards.begin(), cards.end(), [](const CardState& c) { return c.slot; }));
}

std::string StateToJson(const AddressBookState& state) {
    nlohmann::ordered_json cards = nlohmann::ordered_json::array();
    for (const CardState& c : state.cards) {
        nlohmann::ordered_json base = nlohmann::ordered_json::object();
        for (const Field f : kAllFields) {
            if (!c.base[f].empty()) base[std::string(FieldName(f))] = c.base[f];
        }
        nlohmann::ordered_json card = {{"href", c.href}, {"uid", c.uid}, {"etag", c.etag}};
        if (c.slot) card["slot"] = *c.slot;
        card["base"] = std::move(base);
        cards.push_back(std::move(card));
    }
    const nlohmann::ordered_json j = {{"version", kStateVersion}, {"url", state.url},
                                      {"name", state.name},       {"syncToken", state.syncToken},
                                      {"ctag", state.ctag},       {"category", state.category},
                                      {"cards", std::move(cards)}};
    return j.dump(1);
}

std::optional<AddressBookState> StateFromJson(std::string_view json, std::string& error) {
    const auto j = nlohmann::json::parse(json, nullptr, false);
    if (j.is_discarded() || !j.is_object() || j.value("version", 0) != kStateVersion ||
        !j.contains("cards") || !j["cards"].is_array()) {
        error = "not a sync state of this version";
        return std::nullopt;
    }
    try {
        AddressBookState state;
        state.url = j.value("url", "");
        state.name = j.value("name", "");
        state.syncToken = j.value("syncToken", "");
        state.ctag = j.value("ctag", "");
        state.category = j.value("category", "");
        for (const auto& c : j["cards"]) {
            CardState card;
            card.href = c.at("href").get<std::string>();
            card.uid = c.value("uid", "");
            card.etag = c.value("etag", "");
            if (c.contains("slot")) {
                const int slot = c["slot"].get<int>();
                if (slot < 0 || slot >= kEntrySlots) throw std::out_of_range("slot");
                card.slot = slot;
            }
            const auto base = c.find("base");
            if (base != c.end() && base->is_object()) {
                for (auto it = base->begin(); it != base->end(); ++it) {
                    if (const auto f = FieldNamed(it.key())) {
                        card.base[*f] = it.value().get<std::string>();
                    }
                }
            }
            state.cards.push_back(std::move(card));
        }
        return state;
    } catch (const std::exception& e) {
        error = std::string("damaged sync state: ") + e.what();
        return std::nullopt;
    }
}

}  // namespace numora

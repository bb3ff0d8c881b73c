#include "formats/ContactFields.h"

#include <algorithm>
#include <array>
#include <utility>

namespace numora {

namespace {

constexpr std::array<std::string_view, kNumberKinds> kKindWords = {"mobile", "home", "office",
                                                                   "pager", "fax"};

}  // namespace

void ContactBuilder::Number(std::string text, std::optional<int> kind, bool preferred,
                            std::optional<int> speedDial, std::string what) {
    if (text.find_first_not_of(" \t") == std::string::npos) return;
    m_numbers.push_back({std::move(text), kind, preferred, speedDial, std::move(what)});
}

void ContactBuilder::Email(std::string text, bool preferred) {
    if (!text.empty()) m_emails.push_back({std::move(text), preferred});
}

void ContactBuilder::Web(std::string text, bool preferred) {
    if (!text.empty()) m_webs.push_back({std::move(text), preferred});
}

void ContactBuilder::Memo(std::string text) {
    if (!text.empty()) m_memos.push_back({std::move(text), false});
}

void ContactBuilder::Group(std::string name) {
    if (name.empty()) return;
    if (m_contact.group.empty()) {
        m_contact.group = std::move(name);
    } else if (name != m_contact.group) {
        m_contact.leftOut.push_back("group \"" + Clip(name) + "\"");
    }
}

void ContactBuilder::Choose(std::vector<Single>& values, std::string& field,
                            std::string_view what) {
    std::stable_sort(values.begin(), values.end(),
                     [](const Single& a, const Single& b) { return a.preferred > b.preferred; });
    for (Single& v : values) {
        if (field.empty()) {
            field = std::move(v.text);
        } else if (v.text != field) {
            m_contact.leftOut.push_back("second " + std::string(what) + " \"" + Clip(v.text) +
                                        "\"");
        }
    }
    values.clear();
}

void ContactBuilder::Finish() {
    std::stable_sort(
        m_numbers.begin(), m_numbers.end(),
        [](const Candidate& a, const Candidate& b) { return a.preferred > b.preferred; });
    const auto place = [&](Candidate& n, int kind) {
        const auto k = static_cast<std::size_t>(kind);
        m_contact.numbers[k] = std::move(n.text);
        if (n.speedDial) m_contact.speedDials[k] = *n.speedDial;
    };
    for (Candidate& n : m_numbers) {
        if (!n.kind) continue;
        const auto k = static_cast<std::size_t>(*n.kind);
        if (m_contact.numbers[k].empty()) {
            place(n, *n.kind);
        } else {
            m_contact.leftOut.push_back("second " + std::string(kKindWords[k]) + " number \"" +
                                        Clip(n.text) + "\"");
        }
    }
    for (Candidate& n : m_numbers) {
        if (n.kind) continue;
        std::optional<int> free;
        for (const NumberKind kind : {NumberKind::Mobile, NumberKind::Home, NumberKind::Office}) {
            if (!free && m_contact.numbers[IndexOf(kind)].empty()) free = PositionOf(kind);
        }
        if (free) {
            place(n, *free);
        } else {
            m_contact.leftOut.push_back(n.what + " \"" + Clip(n.text) + "\"");
        }
    }
    m_numbers.clear();
    Choose(m_emails, m_contact.email, "e-mail");
    Choose(m_webs, m_contact.wireless, "web address");
    Choose(m_memos, m_contact.memo, "note");
}

std::optional<std::string_view> VendorPropertyWords(std::string_view name) {
    static constexpr std::pair<std::string_view, std::string_view> kWords[] = {
        {"X-ABRELATEDNAMES", "related name"},
        {"X-ABDATE", "date"},
        {"X-AIM", "instant messaging"},
        {"X-ICQ", "instant messaging"},
        {"X-JABBER", "instant messaging"},
        {"X-MSN", "instant messaging"},
        {"X-YAHOO", "instant messaging"},
        {"X-SKYPE", "instant messaging"},
        {"X-SKYPE-USERNAME", "instant messaging"},
        {"X-SKYPE-DISPLAYNAME", "instant messaging"},
        {"X-GOOGLE-TALK", "instant messaging"},
        {"X-GTALK", "instant messaging"},
        {"X-QQ", "instant messaging"},
        {"X-GADUGADU", "instant messaging"},
        {"X-MS-IMADDRESS", "instant messaging"},
        {"X-SIP", "instant messaging"},
        {"X-SKYPE-PSTNNUMBER", "internet telephone number"},
        {"X-MS-TEL", "number"},
        {"X-OUTLOOK-MANAGER-NAME", "manager"},
        {"X-MS-MANAGER", "manager"},
        {"X-EVOLUTION-MANAGER", "manager"},
        {"X-MANAGER", "manager"},
        {"X-MS-ASSISTANT", "assistant"},
        {"X-EVOLUTION-ASSISTANT", "assistant"},
        {"X-ASSISTANT", "assistant"},
        {"X-SPOUSE", "spouse"},
        {"X-MS-SPOUSE", "spouse"},
        {"X-EVOLUTION-SPOUSE", "spouse"},
        {"X-WAB-SPOUSE_NAME", "spouse"},
        {"X-ANNIVERSARY", "anniversary"},
        {"X-MS-ANNIVERSARY", "anniversary"},
        {"X-EVOLUTION-ANNIVERSARY", "anniversary"},
        {"X-WAB-WEDDING_ANNIVERSARY", "anniversary"},
        {"X-GENDER", "gender"},
        {"X-WAB-GENDER", "gender"},
        {"X-PHONETIC-FIRST-NAME", "phonetic name"},
        {"X-PHONETIC-MIDDLE-NAME", "phonetic name"},
        {"X-PHONETIC-LAST-NAME", "phonetic name"},
        {"X-MAIDENNAME", "maiden name"},
        {"X-ANDROID-CUSTOM", "custom field"},
        {"X-SOCIALPROFILE", "social profile"},
        {"X-MS-CARDPICTURE", "photo"},
    };
    for (const auto& [vendor, words] : kWords) {
        if (vendor == name) return words;
    }
    return std::nullopt;
}

bool IsHousekeepingProperty(std::string_view name) {
    static constexpr std::string_view kQuiet[] = {
        "VERSION",
        "PRODID",
        "REV",
        "UID",
        "SORT-STRING",
        "KIND",
        "NAME",
        "PROFILE",
        "SOURCE",
        "CLIENTPIDMAP",
        "X-ABUID",
        "X-ABLABEL",
        "X-ABADR",
        "X-ABSHOWAS",
        "X-MOZILLA-HTML",
        "X-EVOLUTION-FILE-AS",
        "X-RADICALE-NAME",
        "X-MS-OL-DEFAULT-POSTAL-ADDRESS",
        "X-MS-OL-DESIGN",
        "X-IRMC-LUID",
        "X-ID",
        "X-ETAG",
        "X-BECKY-IMAGE",
        "X-FC-TAGS",
        "X-FC-LIST-ID",
        "X-COUCHDB-APPLICATION-ANNOTATIONS",
        "X-EVOLUTION-BLOG-URL-TYPE",
    };
    return std::find(std::begin(kQuiet), std::end(kQuiet), name) != std::end(kQuiet);
}

}  // namespace numora

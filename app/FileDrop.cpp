#include "app/FileDrop.h"

#include <algorithm>
#include <cctype>

#include "formats/BookFormats.h"

namespace numora {

namespace {

bool IsPhoneBookFile(std::string_view path) {
    if (path.size() < 3) return false;
    std::string ext(path.substr(path.size() - 3));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".pb";
}

}  // namespace

DropPlan PlanDrop(std::span<const std::string> paths, bool pageBusy) {
    DropPlan plan;
    if (pageBusy) return plan;
    bool contacts = false;
    for (const std::string& path : paths) {
        // Anything not named as contacts reads as a phone-book file: only "*.pb" is taken so.
        const bool book = IsPhoneBookFile(path);
        if (!book && FormatOfPath(path) == BookFormat::PhoneBook) {
            plan.refused.push_back(path);
            continue;
        }
        contacts = contacts || !book;
        plan.files.push_back(path);
    }
    if (plan.files.size() > 1) {
        plan.action = DropAction::MergeEach;
    } else if (plan.files.size() == 1) {
        plan.action = contacts ? DropAction::MergeOrReplace : DropAction::OpenBook;
    }
    return plan;
}

}  // namespace numora

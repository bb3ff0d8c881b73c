#include "cli/BookFiles.h"

#include <cstdio>
#include <cstdlib>

#include "cli/StdFiles.h"
#include "formats/BookFormats.h"
#include "formats/ContactFiles.h"
#include "page/PbFileCommands.h"
#include "text/QtCharsets.h"

namespace numora {

namespace {

void Warn(const std::string& path, const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), what.c_str());
}

std::string& ContactsRegion() {
    static std::string region;
    return region;
}

}  // namespace

ContactsOptions ContactsReading() {
    static const QtCharsets charsets;
    std::string region = ContactsRegion();
    if (region.empty()) {
        const auto env = [](const char* name) {
            const char* value = std::getenv(name);
            return std::string_view(value != nullptr ? value : "");
        };
        region = HomeRegionFromLocale(env("LC_ALL"), env("LC_TELEPHONE"), env("LANG"));
    }
    return ContactsOptions{PhoneNumbers(region), &charsets};
}

void SetContactsRegion(std::string region) {
    ContactsRegion() = std::move(region);
}

bool LoadBookFile(const std::string& path, PhoneBook& book, FileView& page, bool* damaged) {
    if (damaged != nullptr) *damaged = false;
    const BookFormat format = FormatOfPath(path);
    if (format != BookFormat::PhoneBook) {
        std::vector<uint8_t> bytes;
        if (const ReadResult read = ReadWholeFile(path, bytes, kMaxContactsFileBytes);
            read != ReadResult::Done) {
            page.MessageBox(kFileOpenFailed);
            if (read == ReadResult::TooLarge) Warn(path, std::string(kContactsFileTooLarge));
            if (read == ReadResult::Failed) ReportReadFailure(path, WhyUnreadable(path));
            return false;
        }
        PhoneBook fresh;
        fresh.SetMessageSink(book.Messages());
        const TextImport r = BookFromText(
            format, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
            fresh, ContactsReading());
        if (!r.encoding.empty()) Warn(path, "read as " + r.encoding);
        for (const std::string& p : r.problems)
            Warn(path, p);
        if (!r.ok) {
            Warn(path, r.error);
            return false;
        }
        if (damaged != nullptr) *damaged = format == BookFormat::Json && !r.problems.empty();
        book = fresh;
        return true;
    }
    StdFiles files(path);
    const auto report = FileOpen(book, page, files);
    if (!files.ReadFailure().empty()) ReportReadFailure(path, files.ReadFailure());
    // An empty file is no book to list, convert or write (its message is shown).
    if (report && report->empty) return false;
    if (report && damaged != nullptr) *damaged = report->Damaged();
    return report.has_value();
}

bool SaveBookFile(const std::string& path, PhoneBook& book, FileView& page) {
    const BookFormat format = FormatOfPath(path);
    if (format != BookFormat::PhoneBook) {
        const std::string text = BookToText(format, book);
        for (const std::string& lost : WhatFormatLeavesOut(format, book))
            Warn(path, lost);
        std::string reason;
        if (!SaveWholeFile(path,
                           std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                           reason, ReadersFor(book))) {
            ShowSaveFailure(page, path, reason);
            return false;
        }
        return true;
    }
    StdFiles files(path);
    if (FileSave(book, page, files)) return true;
    if (!files.SaveFailure().empty()) ReportSaveFailure(path, files.SaveFailure());
    return false;
}

}  // namespace numora

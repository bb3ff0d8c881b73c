#include "cli/BookFiles.h"

#include <cstdio>
#include <fstream>

#include "book/BookFormats.h"
#include "book/PbFile.h"
#include "cli/StdFiles.h"

namespace numora {

namespace {

void Warn(const std::string& path, const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), what.c_str());
}

}  // namespace

bool LoadBookFile(const std::string& path, CPBData& book, IPageSeam& page) {
    const BookFormat format = FormatOfPath(path);
    if (format != BookFormat::PhoneBook) {
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(path, bytes)) {
            page.MessageBox(kFileOpenFailed);
            return false;
        }
        CPBData fresh;
        fresh.SetMessageSink(book.MessageSink());
        const TextImport r = BookFromText(
            format, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
            fresh);
        for (const std::string& p : r.problems) Warn(path, p);
        if (!r.ok) {
            Warn(path, r.error);
            return false;
        }
        book = fresh;
        return true;
    }
    CStdFiles files(path);
    const auto report = FileOpen(book, page, files);
    if (!report) return false;
    if (report->ignored > 0) {
        Warn(path, std::to_string(report->ignored) +
                       " record(s) could not be taken: a slot outside the tables, an empty "
                       "group name, or an entry without number, e-mail or wireless address");
    }
    if (report->truncated) Warn(path, "the last record is cut short and was left out");
    if (report->skippedBytes > 0) {
        Warn(path, std::to_string(report->skippedBytes) + " byte(s) that start no record skipped");
    }
    return true;
}

bool SaveBookFile(const std::string& path, CPBData& book, IPageSeam& page) {
    const BookFormat format = FormatOfPath(path);
    if (format != BookFormat::PhoneBook) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << BookToText(format, book);
        out.close();
        if (!out) {
            page.MessageBox(kFileSaveFailed);
            return false;
        }
        return true;
    }
    CStdFiles files(path);
    return FileSave(book, page, files);
}

}  // namespace numora

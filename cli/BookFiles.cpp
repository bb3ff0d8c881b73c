#include "cli/BookFiles.h"

#include <cstdio>
#include <fstream>

#include "book/BookJson.h"
#include "book/PbFile.h"
#include "cli/StdFiles.h"

namespace numora {

namespace {

void Warn(const std::string& path, const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), what.c_str());
}

}  // namespace

bool IsJsonPath(const std::string& path) {
    return path.size() >= 5 && path.compare(path.size() - 5, 5, ".json") == 0;
}

bool LoadBookFile(const std::string& path, CPBData& book, IPageSeam& page) {
    if (IsJsonPath(path)) {
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(path, bytes)) {
            page.MessageBox(kFileOpenFailed);
            return false;
        }
        const JsonImport r = BookFromJson(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), book);
        for (const std::string& w : r.warnings) Warn(path, w);
        if (!r.ok) Warn(path, r.error);
        return r.ok;
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
    if (IsJsonPath(path)) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << BookToJson(book) << '\n';
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

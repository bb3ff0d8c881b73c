#include "cli/StdFiles.h"

#include "files/SaveFile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace numora {

ReadResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::size_t limit) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return ReadResult::Failed;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return ReadResult::Failed;
    if (size > limit) return ReadResult::TooLarge;
    std::ifstream in(path, std::ios::binary);
    if (!in) return ReadResult::Failed;
    bytes.resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return in.bad() ? ReadResult::Failed : ReadResult::Done;
}

namespace {

QString PathOf(const std::string& path) {
    return QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size()));
}

}  // namespace

bool SaveWholeFile(const std::string& path, std::span<const uint8_t> bytes, std::string& reason,
                   FileReaders readers) {
    QString why;
    if (SaveFileAtomically(PathOf(path),
                           QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())), &why,
                           readers == FileReaders::OwnerOnly)) {
        return true;
    }
    reason = why.toStdString();
    return false;
}

bool CanSaveToPath(const std::string& path, std::string& reason) {
    QString why;
    if (CanSaveTo(PathOf(path), &why)) return true;
    reason = why.toStdString();
    return false;
}

void ShowSaveFailure(FileView& page, const std::string& path, const std::string& reason) {
    page.MessageBox(kFileSaveFailed);
    ReportSaveFailure(path, reason);
}

void ReportSaveFailure(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "numora-cli: cannot write %s: %s\n", path.c_str(), reason.c_str());
}

ReadResult StdFiles::ReadAll(const std::string& path, std::vector<uint8_t>& bytes) {
    const ReadResult read = ReadWholeFile(path, bytes);
    m_readFailure = read == ReadResult::Failed ? WhyUnreadable(path) : std::string();
    return read;
}

std::string WhyUnreadable(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec) return ec.message();
    if (std::filesystem::is_directory(status)) return "it is a folder";
    if (!std::filesystem::is_regular_file(status)) return "not a regular file";
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::generic_category().message(errno);
    return "it could not be read to its end";
}

void ReportReadFailure(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "numora-cli: cannot read %s: %s\n", path.c_str(), reason.c_str());
}

bool StdFiles::Save(const std::string& path, std::span<const uint8_t> bytes, FileReaders readers) {
    m_saveFailure.clear();
    return SaveWholeFile(path, bytes, m_saveFailure, readers);
}

}  // namespace numora

#include "cli/StdFiles.h"

#include "files/SaveFile.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace numora {

ReadResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return ReadResult::Failed;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return ReadResult::Failed;
    if (size > kMaxBookFileBytes) return ReadResult::TooLarge;
    std::ifstream in(path, std::ios::binary);
    if (!in) return ReadResult::Failed;
    bytes.resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return in.bad() ? ReadResult::Failed : ReadResult::Done;
}

bool SaveWholeFile(const std::string& path, std::span<const uint8_t> bytes, FileReaders readers) {
    return SaveFileAtomically(
        QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size())),
        QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
        readers == FileReaders::OwnerOnly);
}

bool CanSaveToPath(const std::string& path) {
    return CanSaveTo(QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size())));
}

bool CStdFiles::Save(const std::string& path, std::span<const uint8_t> bytes, FileReaders readers) {
    return SaveWholeFile(path, bytes, readers);
}

}  // namespace numora

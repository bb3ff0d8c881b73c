#include "cli/StdFiles.h"

#include <filesystem>
#include <system_error>

namespace numora {

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxBookFileBytes) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return !in.bad();
}

bool CStdFiles::Create(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    m_out.open(path, std::ios::binary | std::ios::trunc);
    return m_out.is_open();
}

bool CStdFiles::Write(std::span<const uint8_t> bytes) {
    m_out.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
    m_out.flush();
    return static_cast<bool>(m_out);
}

}  // namespace numora

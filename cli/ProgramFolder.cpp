#include "cli/ProgramFolder.h"

#include <string_view>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace numora {

std::filesystem::path ProgramFolder(const char* argv0) {
    std::error_code ec;
#ifdef _WIN32
    wchar_t buffer[32768];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    if (n > 0 && n < std::size(buffer)) return std::filesystem::path(buffer).parent_path();
#else
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && exe.is_absolute()) return exe.parent_path();
#endif
    const std::string_view given = argv0 != nullptr ? argv0 : "";
    if (given.find_first_of("/\\") == std::string_view::npos) return {};
    const auto path = std::filesystem::weakly_canonical(std::filesystem::path(given), ec);
    return ec ? std::filesystem::path() : path.parent_path();
}

}  // namespace numora

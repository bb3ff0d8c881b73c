// Files for the command-line tool: the path is given on the command line, not chosen; saves go
// through SaveFileAtomically.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "book/PbFileCommands.h"

namespace numora {

// No phone book comes near this size; anything larger is not a phone-book file.
constexpr std::uintmax_t kMaxBookFileBytes = 16u << 20;

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

class CStdFiles : public IFileAccess {
public:
    explicit CStdFiles(std::string path) : m_path(std::move(path)) {}

    std::optional<std::string> ChooseOpenPath() override { return m_path; }
    std::optional<std::string> ChooseSavePath() override { return m_path; }
    bool ReadAll(const std::string& path, std::vector<uint8_t>& bytes) override {
        return ReadWholeFile(path, bytes);
    }
    bool Save(const std::string& path, std::span<const uint8_t> bytes) override;
    // Why the last save failed; empty when it did not.
    const std::string& SaveFailure() const { return m_saveFailure; }

private:
    std::string m_path;
    std::string m_saveFailure;
};

// The tool's saves: SaveFileAtomically with the path as the command line gave it, the system's
// reason in reason on a failure.
bool SaveWholeFile(const std::string& path, std::span<const uint8_t> bytes, std::string& reason);
bool CanSaveToPath(const std::string& path, std::string& reason);

// "File save failed!" on the page, then the path and the system's reason on stderr.
void ShowSaveFailure(IFileView& page, const std::string& path, const std::string& reason);
// The line under "File save failed!" alone, for a page that has already shown it.
void ReportSaveFailure(const std::string& path, const std::string& reason);

}  // namespace numora

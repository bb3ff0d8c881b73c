// Files for the command-line tool: the path is given on the command line, not chosen; saves go
// through SaveFileAtomically.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "page/PbFileCommands.h"

namespace numora {

// The whole file, up to limit bytes (kMaxBookFileBytes: no book file comes near it).
ReadResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes,
                         std::size_t limit = kMaxBookFileBytes);

class StdFiles : public FileAccess {
public:
    explicit StdFiles(std::string path) : m_path(std::move(path)) {}

    std::optional<std::string> ChooseOpenPath() override { return m_path; }
    std::optional<std::string> ChooseSavePath() override { return m_path; }
    ReadResult ReadAll(const std::string& path, std::vector<uint8_t>& bytes) override;
    // Why the last read failed (the system's reason); empty when it did not.
    const std::string& ReadFailure() const { return m_readFailure; }
    bool Save(const std::string& path, std::span<const uint8_t> bytes,
              FileReaders readers) override;
    // Why the last save failed; empty when it did not.
    const std::string& SaveFailure() const { return m_saveFailure; }

private:
    std::string m_path;
    std::string m_saveFailure;
    std::string m_readFailure;
};

// Why a file cannot be read, in the system's words.
std::string WhyUnreadable(const std::string& path);
// The line under "File open failed!": the path and why.
void ReportReadFailure(const std::string& path, const std::string& reason);

// The tool's saves: SaveFileAtomically with the path as the command line gave it, the system's
// reason in reason on a failure; a new file is its owner's alone when `readers` says so.
bool SaveWholeFile(const std::string& path, std::span<const uint8_t> bytes, std::string& reason,
                   FileReaders readers = FileReaders::Everyone);
bool CanSaveToPath(const std::string& path, std::string& reason);

// "File save failed!" on the page, then the path and the system's reason on stderr.
void ShowSaveFailure(FileView& page, const std::string& path, const std::string& reason);
// The line under "File save failed!" alone, for a page that has already shown it.
void ReportSaveFailure(const std::string& path, const std::string& reason);

}  // namespace numora

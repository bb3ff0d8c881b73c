// Files for the command-line tool: the path is given on the command line, not chosen; saves go
// through SaveFileAtomically.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "book/PbFileCommands.h"

namespace numora {

// The whole file, up to kMaxBookFileBytes: no book file comes near it.
ReadResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

class CStdFiles : public IFileAccess {
public:
    explicit CStdFiles(std::string path) : m_path(std::move(path)) {}

    std::optional<std::string> ChooseOpenPath() override { return m_path; }
    std::optional<std::string> ChooseSavePath() override { return m_path; }
    ReadResult ReadAll(const std::string& path, std::vector<uint8_t>& bytes) override {
        return ReadWholeFile(path, bytes);
    }
    bool Save(const std::string& path, std::span<const uint8_t> bytes,
              FileReaders readers) override;

private:
    std::string m_path;
};

// The tool's saves: SaveFileAtomically with the path as the command line gave it.
bool SaveWholeFile(const std::string& path, std::span<const uint8_t> bytes,
                   FileReaders readers = FileReaders::Everyone);
bool CanSaveToPath(const std::string& path);

}  // namespace numora

// A test that runs numora-cli as a user would: a folder of its own (with its own profile),
// the tool's exit status, stdout and stderr, and books written to files.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "book/PbFile.h"

namespace numora::test {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("numora-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        // The tool keeps its profile in the user's configuration folder: give it its own.
        setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
        // And its history in the user's data folder.
        setenv("XDG_DATA_HOME", (m_dir / "data").c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    // A command's exit status, stdout and stderr.
    ToolRun Run(const std::string& command) const {
        ToolRun r;
        const std::string cmd = command + " >" + Path("out.txt") + " 2>" + Path("err.txt");
        r.status = WEXITSTATUS(std::system(cmd.c_str()));
        r.out = Slurp(Path("out.txt"));
        r.err = Slurp(Path("err.txt"));
        return r;
    }

    ToolRun Cli(const std::string& args) const { return Run(std::string(NUMORA_CLI) + " " + args); }

    // The book of a file as the tool dumps it to JSON.
    std::string Json(const std::string& name) const { return Cli("dump --json " + Path(name)).out; }

    static std::string Slurp(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void WriteFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }

    void SaveBook(PhoneBook book, const std::string& name) const {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(WritePbRecords(book, bytes, nullptr));
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path m_dir;
};

}  // namespace numora::test

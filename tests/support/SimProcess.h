// The real numora-sim in a child process: started with arguments, its pseudo-terminal read
// from the first line it prints, its stderr (the trace) kept in a file, stopped with SIGTERM.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace numora::test {

class SimProcess {
public:
    SimProcess(const std::string& binary, const std::vector<std::string>& args,
               const std::string& stderrPath)
        : m_stderrPath(stderrPath) {
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<std::string> all{binary};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, binary.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char c = 0;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            m_device += c;
        m_stdout = out[0];
    }

    ~SimProcess() { Stop(); }

    // The pseudo-terminal to open; empty when the simulator did not start.
    const std::string& Device() const { return m_device; }

    // Ends the simulator (it writes --save on the way out); its exit status.
    int Stop() {
        if (m_pid <= 0) return m_status;
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        if (m_stdout >= 0) close(m_stdout);
        m_stdout = -1;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return m_status;
    }

    std::string Trace() const {
        std::ifstream in(m_stderrPath);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    pid_t m_pid = -1;
    int m_stdout = -1;
    int m_status = -1;
    std::string m_device;
    std::string m_stderrPath;
};

}  // namespace numora::test

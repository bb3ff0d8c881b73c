#include "app/ChildLifetime.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#include <csignal>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#endif

namespace numora {

#ifdef _WIN32

bool TieToThisProcess(std::uint32_t processId) {
    // One job for every helper; its handle is never closed, so the system closes it when this
    // process ends, and the job's members end with it.
    static const HANDLE job = [] {
        const HANDLE created = CreateJobObjectW(nullptr, nullptr);
        if (created == nullptr) return created;
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits,
                                     sizeof limits)) {
            CloseHandle(created);
            return HANDLE{nullptr};
        }
        return created;
    }();
    if (job == nullptr) return false;
    const HANDLE process = OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, processId);
    if (process == nullptr) return false;
    const bool tied = AssignProcessToJobObject(job, process) != 0;
    CloseHandle(process);
    return tied;
}

#else

void EndWithParent(std::int64_t parentId) {
#ifdef __linux__
    // SIGTERM, not SIGKILL: the simulator ends as when it is told to, saving what it keeps.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
#endif
    // The parent may have ended before the request above was in place.
    if (static_cast<std::int64_t>(getppid()) != parentId) _exit(1);
}

#endif

}  // namespace numora

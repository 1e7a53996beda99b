// Plays a process of the same user against the program: starts it (so that
// it is the program's parent, which even a restricted ptrace scope lets
// read), tries its memory, then crashes it with core files allowed and
// looks for the core. A child of its own, left as it is, shows first that
// this machine would let both happen at all.
//
// Usage: hardening_probe PROGRAM   (run in a folder of its own; PROGRAM's
// folder must hold its start-up record). Exit 0: memory refused, core
// limits 0 and no core after the crash.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int failures = 0;

void fail(const std::string& what)
{
    std::fprintf(stderr, "FAIL: %s\n", what.c_str());
    ++failures;
}

std::string procPath(pid_t pid, const char* file)
{
    return "/proc/" + std::to_string(pid) + "/" + file;
}

// Whether this process can open and read pid's memory at its first mapping.
bool canReadMemory(pid_t pid)
{
    std::ifstream maps(procPath(pid, "maps"));
    unsigned long start = 0;
    if (!(maps >> std::hex >> start))
        return false; // the maps are refused too
    const int fd = ::open(procPath(pid, "mem").c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    char byte = 0;
    const bool read = ::pread(fd, &byte, 1, off_t(start)) == 1;
    ::close(fd);
    return read;
}

// The soft and hard core size limits as /proc/PID/limits states them.
std::string coreLimits(pid_t pid)
{
    std::ifstream limits(procPath(pid, "limits"));
    std::string line;
    while (std::getline(limits, line)) {
        if (line.rfind("Max core file size", 0) == 0) {
            std::string rest = line.substr(std::strlen("Max core file size"));
            char soft[32] = {}, hard[32] = {};
            std::sscanf(rest.c_str(), "%31s %31s", soft, hard);
            return std::string(soft) + " " + hard;
        }
    }
    return "?";
}

bool coreFileIn(const char* folder)
{
    DIR* dir = ::opendir(folder);
    if (!dir)
        return false;
    bool found = false;
    while (dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, "core", 4) == 0)
            found = true;
    }
    ::closedir(dir);
    return found;
}

void removeCoreFiles(const char* folder)
{
    DIR* dir = ::opendir(folder);
    if (!dir)
        return;
    while (dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, "core", 4) == 0)
            ::unlink((std::string(folder) + "/" + entry->d_name).c_str());
    }
    ::closedir(dir);
}

// Crashes pid and tells whether the kernel wrote a core for it.
bool crashDumpsCore(pid_t pid)
{
    ::kill(pid, SIGSEGV);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGSEGV)
        fail("the process did not end by SIGSEGV");
    return WCOREDUMP(status) || coreFileIn(".");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PROGRAM\n", argv[0]);
        return 2;
    }
    // As `ulimit -c unlimited` would: every child may dump a core.
    struct rlimit unlimited = {};
    ::getrlimit(RLIMIT_CORE, &unlimited);
    unlimited.rlim_cur = unlimited.rlim_max;
    ::setrlimit(RLIMIT_CORE, &unlimited);
    removeCoreFiles(".");

    // An ordinary process of the same user: readable, and it dumps a core.
    const pid_t ordinary = ::fork();
    if (ordinary == 0) {
        ::pause();
        ::_exit(0);
    }
    if (!canReadMemory(ordinary))
        fail("an ordinary child's memory cannot be read: the check would prove nothing");
    const bool machineDumps = crashDumpsCore(ordinary);
    removeCoreFiles(".");

    const std::string program = argv[1];
    const std::string folder = program.substr(0, program.rfind('/'));
    const std::string lockFile = folder + "/vellamar.lock";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // The lock is taken once main runs, after the program hardened itself.
    struct stat info = {};
    for (int i = 0; i < 600 && ::stat(lockFile.c_str(), &info) != 0; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fprintf(stderr, "FAIL: the program ended before it took its lock\n");
            return 1;
        }
        ::usleep(100 * 1000);
    }
    if (::stat(lockFile.c_str(), &info) != 0)
        fail("the program never took its lock");

    if (canReadMemory(pid))
        fail("another process of the same user read the program's memory");
    errno = 0;
    const int fd = ::open(procPath(pid, "mem").c_str(), O_RDONLY);
    if (fd >= 0) {
        fail("/proc/PID/mem of the program opened");
        ::close(fd);
    } else if (errno != EACCES && errno != EPERM) {
        fail(std::string("/proc/PID/mem refused for another reason: ") + std::strerror(errno));
    }
    const std::string limits = coreLimits(pid);
    if (limits != "0 0")
        fail("the program's core size limits are \"" + limits + "\", not 0 0");
    if (crashDumpsCore(pid))
        fail("the crashed program left a core");

    if (!machineDumps) // the limits above still show that none would be written
        std::printf("note: this machine wrote no core for an ordinary process either\n");
    return failures == 0 ? 0 : 1;
}

#include "link/TtyHolder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace zmx {

namespace {

// At most this many holders are named; more add nothing the user can act on.
constexpr std::size_t kMaxHoldersNamed = 3;

std::string processName(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name.empty() ? "a process" : name;
}

// The processes holding a lock on the inode, from lines such as
// "1: FLOCK  ADVISORY  WRITE 4242 00:05:1043 0 EOF" (device numbers in hex).
std::vector<long> lockHolders(const struct stat& st) {
    std::vector<long> pids;
    std::ifstream in("/proc/locks");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string id, kind, advisory, mode, inode;
        long pid = 0;
        if (!(words >> id >> kind) || kind == "->") continue;  // a waiter, not a holder
        if (!(words >> advisory >> mode >> pid >> inode) || pid <= 0) continue;
        unsigned maj = 0, min = 0;
        unsigned long ino = 0;
        if (std::sscanf(inode.c_str(), "%x:%x:%lu", &maj, &min, &ino) != 3) continue;
        if (maj == major(st.st_dev) && min == minor(st.st_dev) && ino == st.st_ino) pids.push_back(pid);
    }
    return pids;
}

// The processes with a descriptor of the same character device, by whatever name they opened.
std::vector<long> openers(dev_t rdev, int ownFd) {
    std::vector<long> pids;
    DIR* proc = ::opendir("/proc");
    if (!proc) return pids;
    while (const dirent* p = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(p->d_name, &end, 10);
        if (pid <= 0 || *end != '\0') continue;
        const std::string fdDir = "/proc/" + std::string(p->d_name) + "/fd";
        DIR* fds = ::opendir(fdDir.c_str());
        if (!fds) continue;  // another user's process: not ours to look into
        while (const dirent* f = ::readdir(fds)) {
            if (f->d_name[0] == '.') continue;
            if (pid == ::getpid() && std::atoi(f->d_name) == ownFd) continue;
            struct stat st {};
            if (::stat((fdDir + "/" + f->d_name).c_str(), &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == rdev) {
                pids.push_back(pid);
                break;
            }
        }
        ::closedir(fds);
    }
    ::closedir(proc);
    return pids;
}

}  // namespace

std::string describeTtyHolders(const std::string& devicePath, int ownFd) {
    struct stat st {};
    if (::stat(devicePath.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return {};
    std::vector<long> pids = lockHolders(st);
    if (pids.empty()) pids = openers(st.st_rdev, ownFd);
    std::string text;
    for (std::size_t i = 0; i < pids.size() && i < kMaxHoldersNamed; ++i) {
        if (!text.empty()) text += "; ";
        text += processName(pids[i]) + ", process " + std::to_string(pids[i]);
    }
    return text;
}

}  // namespace zmx

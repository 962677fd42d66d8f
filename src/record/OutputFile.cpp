#include "record/OutputFile.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zmx {

namespace {

// The files SQLite keeps beside a database while it is open or after a crash.
constexpr const char* kSqliteSiblings[] = {"", "-wal", "-journal", "-shm"};

bool isDatabaseUrl(const std::string& target) {
    return target.rfind("postgresql://", 0) == 0 || target.rfind("postgres://", 0) == 0;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string realPath(const std::string& path) {
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? std::string(buf) : std::string();
}

// One spelling of a path, for files that may not exist yet: the real path of the file, or
// else the real path of its folder and its own name.
std::string canonicalName(const std::string& path) {
    std::string real = realPath(path);
    if (!real.empty()) return real;
    const std::string folder = realPath(folderOf(path));
    return folder.empty() ? path : (folder == "/" ? "" : folder) + "/" + nameOf(path);
}

bool sameInode(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::string reason(const std::string& path, int err) { return path + ": cannot write (" + std::strerror(err) + ")"; }

}  // namespace

std::string outputIsRecording(const std::string& output, const std::string& recording) {
    if (output.empty() || recording.empty() || isDatabaseUrl(recording)) return {};
    const std::string outName = canonicalName(output);
    // SQLite puts its journal beside the file a symlinked database resolves to.
    std::vector<std::string> bases = {recording};
    const std::string real = realPath(recording);
    if (!real.empty() && real != recording) bases.push_back(real);
    for (const std::string& base : bases) {
        for (const char* suffix : kSqliteSiblings) {
            const std::string candidate = base + suffix;
            // Files that exist are compared by inode; names that may yet be made, by name.
            if (sameInode(output, candidate) || outName == canonicalName(candidate)) {
                return output + (*suffix ? " is the journal of the recording " : " is the recording ") + recording +
                       "; choose another file";
            }
        }
    }
    return {};
}

ReplacingFile::ReplacingFile(std::string target) : target_(std::move(target)) {
    // A symlink stays a symlink: the file it points to is the one replaced.
    struct stat link {};
    if (::lstat(target_.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        const std::string real = realPath(target_);
        if (!real.empty()) target_ = real;
    }
}

ReplacingFile::~ReplacingFile() { discard(); }

bool ReplacingFile::open(std::string* error) {
    discard();
    std::string pattern = folderOf(target_) + "/." + nameOf(target_) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        if (error) *error = reason(target_, errno);
        return false;
    }
    // mkstemp makes the file private; the result gets the target's mode, or the usual one.
    struct stat old {};
    mode_t mode = 0;
    if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    ::close(fd);
    temp_.assign(name.data());
    return true;
}

bool ReplacingFile::commit(std::string* error) {
    if (temp_.empty()) {
        if (error) *error = target_ + ": cannot write (no file was opened)";
        return false;
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        if (error) *error = reason(target_, errno);
        discard();
        return false;
    }
    temp_.clear();
    return true;
}

void ReplacingFile::discard() {
    if (temp_.empty()) return;
    ::unlink(temp_.c_str());
    temp_.clear();
}

}  // namespace zmx

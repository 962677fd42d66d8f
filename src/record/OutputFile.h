#pragma once
// Files the programs write next to a recording (exports, transfer traces, window dumps):
// refusing one that is the recording itself, and replacing a file only once the new one is
// complete.

#include <string>

namespace zmx {

// Why `output` must not be written while `recording` is read or written: it is the same
// file (by device and inode, so through symlinks, hard links and other spellings of the
// path), or one of the SQLite files beside it (-wal, -journal, -shm). Empty when it is
// another file, or when the recording is a postgresql:// URL.
std::string outputIsRecording(const std::string& output, const std::string& recording);

// A new file for `target`, written under a temporary name in the same folder and renamed
// over the target by commit(). A symlinked target has the file it points to replaced, as
// an editor would. Until commit() succeeds the target stays as it was; the temporary file
// is removed when the object goes without a commit.
class ReplacingFile {
public:
    explicit ReplacingFile(std::string target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file (empty); false and the reason when the folder refuses it.
    bool open(std::string* error);
    // The temporary file's path, to be written by name.
    const std::string& tempPath() const { return temp_; }
    // Renames the temporary file over the target; false and the reason (the temporary file
    // is then removed and the target left alone).
    bool commit(std::string* error);
    // Removes the temporary file.
    void discard();

private:
    std::string target_;
    std::string temp_;
};

}  // namespace zmx

#pragma once

#include <string>

// File-system rules shared by every reader and writer of the user's files:
// reads open regular files only (a FIFO or a device in a file's place must
// never block or flood start-up), saves go through a temporary file whose
// name no user would pick, so that left-overs of a killed save can be told
// apart from the user's own files, and a save writes through a symbolic
// link to its target.
namespace SafeFiles {

// The reason a path that exists is refused for reading or saving.
extern const char* const kNotRegularFile;

// Opens path for reading when it is a regular file: checked before the open,
// opened without blocking, checked again on the open descriptor. Returns the
// descriptor (blocking again, close-on-exec) or -1 with the reason in reason
// (an errno text or kNotRegularFile); missing is set when nothing is there.
int OpenForReading(const char* path, std::string& reason, bool* missing = nullptr);

// The file a save of path replaces: path with its symbolic links followed,
// also a link to a file that does not exist yet.
std::string FollowLinks(const std::string& path);

// False with a reason when target (links already followed) exists and may
// not be replaced: a folder or another non-regular file, or a file without
// write permission for this user (also for a user who could write anyway).
bool MayReplace(const std::string& target, std::string& reason);

// A fresh name for the temporary file of a save of target, beside it:
// ".<name>.notara-save-<pid>-<random>.tmp".
std::string MakeTemporaryName(const std::string& target);

// Removes the temporary files of saves of target that were left by a process
// that was killed: only files named as MakeTemporaryName names them (and the
// lock files beside them), only those of a process that is gone or older
// than the running process, never this process's own. Returns how many were
// removed.
int RemoveLeftOvers(const std::string& target);

}  // namespace SafeFiles

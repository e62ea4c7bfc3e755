// CPFile over POSIX descriptors. "No sharing" is an exclusive, non-blocking
// flock: a second CPFile on the same file (in this or another process) fails
// to open, as a Win32 share mode of 0 would.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/file.h"
#include "platform/strings.h"

bool CPFile::Open(const char* path, int mode) {
    Close();
    if (!path || !*path) return false;
    int flags = O_CLOEXEC;
    switch (mode) {
        case kReadExisting: flags |= O_RDONLY; break;
        case kWriteExisting: flags |= O_WRONLY; break;
        case kReadWriteTruncate: flags |= O_RDWR | O_CREAT; break;  // truncated once locked
        case kReadWriteExisting: flags |= O_RDWR; break;
        case kReadWriteOpenAlways: flags |= O_RDWR | O_CREAT; break;
        default: return false;
    }
    int fd;
    do fd = ::open(path, flags, 0644);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    struct stat st;
    // Folders open on POSIX but are not files here.
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        (mode == kReadWriteTruncate && ::ftruncate(fd, 0) != 0)) {
        ::close(fd);
        return false;
    }
    handle_ = fd;
    mode_ = mode;
    return true;
}

int32_t CPFile::Read(void* buffer, int32_t count) {
    if (!IsOpen() || count < 0 || (count > 0 && !buffer)) return -1;
    int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(static_cast<int>(handle_), static_cast<char*>(buffer) + done,
                                 static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return done > 0 ? done : -1;
        if (n == 0) break;
        done += static_cast<int32_t>(n);
    }
    return done;
}

int32_t CPFile::Write(const void* buffer, int32_t count) {
    if (!IsOpen() || count < 0 || (count > 0 && !buffer)) return -1;
    int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(static_cast<int>(handle_), static_cast<const char*>(buffer) + done,
                                  static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return done > 0 ? done : -1;
        done += static_cast<int32_t>(n);
    }
    return done;
}

int64_t CPFile::Seek(int64_t offset, int from) {
    if (!IsOpen() || (from != kFromStart && from != kFromCurrent)) return -1;
    const off_t r = ::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), from == kFromStart ? SEEK_SET : SEEK_CUR);
    return r < 0 ? -1 : static_cast<int64_t>(r);
}

int64_t CPFile::Tell() const {
    if (!IsOpen()) return -1;
    const off_t r = ::lseek(static_cast<int>(handle_), 0, SEEK_CUR);
    return r < 0 ? -1 : static_cast<int64_t>(r);
}

int64_t CPFile::Size() const {
    struct stat st;
    if (!IsOpen() || ::fstat(static_cast<int>(handle_), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

bool CPFile::Close() {
    if (!IsOpen()) return false;
    const int fd = static_cast<int>(handle_);
    handle_ = kNoHandle;
    mode_ = -1;
    return ::close(fd) == 0;  // closing drops the lock
}

bool WriteFileAtomically(const char* path, const void* data, size_t size) {
    if (!path || !*path || (size > 0 && !data)) return false;
    CDynamicString temp(path);
    if (!temp.Append(".tmpXXXXXX")) return false;
    // mkstemp writes the unique name into its argument.
    char* name = const_cast<char*>(temp.CStr());
    const int fd = ::mkstemp(name);
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, 0644) == 0;
    const char* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (ok && done < size) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else done += static_cast<size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(name, path) == 0;
    if (!ok) ::unlink(name);
    return ok;
}

bool DeleteFilePath(const char* path) { return path && ::unlink(path) == 0; }

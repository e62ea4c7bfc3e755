// CPFile: a file by path, opened without sharing. Reads and writes answer
// the bytes done or -1; nothing throws.
#pragma once

#include <cstddef>
#include <cstdint>

class CPFile {
public:
    enum OpenMode : int {
        kReadExisting = 0,        // read an existing file
        kWriteExisting = 1,       // write an existing file
        kReadWriteTruncate = 2,   // read and write, created or truncated
        kReadWriteExisting = 3,   // read and write an existing file
        kReadWriteOpenAlways = 4, // read and write, opened or created
    };
    enum SeekFrom : int { kFromStart = 0, kFromCurrent = 1 };

    CPFile() = default;
    CPFile(const char* path, int mode) { Open(path, mode); }
    CPFile(const CPFile&) = delete;
    CPFile& operator=(const CPFile&) = delete;
    virtual ~CPFile() { Close(); }

    // Opens path in one of the modes above, closing any file held before.
    // Fails (false) for an unknown mode, a missing file where one must
    // exist, or a file another CPFile holds open.
    bool Open(const char* path, int mode);
    bool IsOpen() const { return handle_ != kNoHandle; }

    int32_t Read(void* buffer, int32_t count);
    int32_t Write(const void* buffer, int32_t count);
    // The new position, or -1.
    int64_t Seek(int64_t offset, int from = kFromStart);
    int64_t Tell() const;
    int64_t Size() const;
    // True when a file was open and closed cleanly.
    bool Close();

private:
    static constexpr intptr_t kNoHandle = -1;  // also INVALID_HANDLE_VALUE
    intptr_t handle_ = kNoHandle;               // a file descriptor or a HANDLE
    int mode_ = -1;
};

// Writes data to a temporary file beside path and renames it over path, so
// a reader never sees a partial file and a failure leaves the old file (or
// none) in place. True when the whole file was written and renamed.
bool WriteFileAtomically(const char* path, const void* data, size_t size);

// Deletes a file; true when it was there and is gone.
bool DeleteFilePath(const char* path);

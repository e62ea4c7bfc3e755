// CPFile over CreateFileA with no sharing.
#include <windows.h>

#include "platform/file.h"
#include "platform/strings.h"

namespace {
HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }
}  // namespace

bool CPFile::Open(const char* path, int mode) {
    Close();
    if (!path || !*path) return false;
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD disposition = OPEN_EXISTING;
    switch (mode) {
        case kReadExisting: access = GENERIC_READ; break;
        case kWriteExisting: access = GENERIC_WRITE; break;
        case kReadWriteTruncate: disposition = CREATE_ALWAYS; break;
        case kReadWriteExisting: break;
        case kReadWriteOpenAlways: disposition = OPEN_ALWAYS; break;
        default: return false;
    }
    HANDLE h = ::CreateFileA(path, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<intptr_t>(h);
    mode_ = mode;
    return true;
}

int32_t CPFile::Read(void* buffer, int32_t count) {
    if (!IsOpen() || count < 0 || (count > 0 && !buffer)) return -1;
    DWORD done = 0;
    if (!::ReadFile(H(handle_), buffer, static_cast<DWORD>(count), &done, nullptr)) return -1;
    return static_cast<int32_t>(done);
}

int32_t CPFile::Write(const void* buffer, int32_t count) {
    if (!IsOpen() || count < 0 || (count > 0 && !buffer)) return -1;
    DWORD done = 0;
    if (!::WriteFile(H(handle_), buffer, static_cast<DWORD>(count), &done, nullptr)) return -1;
    return static_cast<int32_t>(done);
}

int64_t CPFile::Seek(int64_t offset, int from) {
    if (!IsOpen() || (from != kFromStart && from != kFromCurrent)) return -1;
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    if (!::SetFilePointerEx(H(handle_), distance, &result, from == kFromStart ? FILE_BEGIN : FILE_CURRENT)) return -1;
    return result.QuadPart;
}

int64_t CPFile::Tell() const {
    if (!IsOpen()) return -1;
    LARGE_INTEGER zero, result;
    zero.QuadPart = 0;
    if (!::SetFilePointerEx(H(handle_), zero, &result, FILE_CURRENT)) return -1;
    return result.QuadPart;
}

int64_t CPFile::Size() const {
    LARGE_INTEGER size;
    if (!IsOpen() || !::GetFileSizeEx(H(handle_), &size)) return -1;
    return size.QuadPart;
}

bool CPFile::Close() {
    if (!IsOpen()) return false;
    HANDLE h = H(handle_);
    handle_ = kNoHandle;
    mode_ = -1;
    return ::CloseHandle(h) != 0;
}

bool WriteFileAtomically(const char* path, const void* data, size_t size) {
    if (!path || !*path || (size > 0 && !data) || size > 0x7FFFFFFF) return false;
    // A name of our own beside the file: the same volume, so the rename
    // below is a move, not a copy.
    HANDLE h = INVALID_HANDLE_VALUE;
    CDynamicString temp;
    for (unsigned attempt = 0; attempt < 16 && h == INVALID_HANDLE_VALUE; ++attempt) {
        if (!temp.Set(path) || !temp.Append(".tmp") || !temp.AppendInt(::GetCurrentProcessId()) ||
            !temp.AppendChar('_') || !temp.AppendInt((static_cast<long long>(::GetTickCount()) << 4) + attempt))
            return false;
        h = ::CreateFileA(temp.CStr(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    bool ok = size == 0 || (::WriteFile(h, data, static_cast<DWORD>(size), &done, nullptr) && done == size);
    ok = ok && ::FlushFileBuffers(h);
    ok = ::CloseHandle(h) && ok;
    ok = ok && ::MoveFileExA(temp.CStr(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) ::DeleteFileA(temp.CStr());
    return ok;
}

bool DeleteFilePath(const char* path) { return path && ::DeleteFileA(path) != 0; }

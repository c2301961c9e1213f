#pragma once
// An open libunrar archive that is closed on every way out. For .cpp files only: dll.hpp defines
// HANDLE, UINT, LPARAM ... as macros.

#include <unrar/dll.hpp>

// Closes the archive on every way out; the normal end closes it itself to look at the result.
class ArchiveHandle
{
public:
    explicit ArchiveHandle(HANDLE handle) : m_handle(handle) {}
    ~ArchiveHandle()
    {
        if (m_handle)
            RARCloseArchive(m_handle);
    }
    ArchiveHandle(const ArchiveHandle &) = delete;
    ArchiveHandle &operator=(const ArchiveHandle &) = delete;
    HANDLE get() const { return m_handle; }
    int close()
    {
        const int code = RARCloseArchive(m_handle);
        m_handle = nullptr;
        return code;
    }

private:
    HANDLE m_handle;
};

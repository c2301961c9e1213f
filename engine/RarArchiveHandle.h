#pragma once
// An open libunrar archive that is closed on every way out. For .cpp files only: dll.hpp defines
// HANDLE, UINT, LPARAM ... as macros.

#include <unrar/dll.hpp>

#include "engine/SetPlan.h"

// Opens the RAR set of path with libunrar (open names it and says how) when RarSetRefusal allows
// it; otherwise no handle, the refusal in open.OpenResult and the file refused in refusedVolume.
inline HANDLE OpenCheckedRarArchive(const QString &path, RAROpenArchiveDataEx &open,
                                    QString *refusedVolume = nullptr)
{
    open.OpenResult = RarSetRefusal(path, refusedVolume);
    return open.OpenResult ? nullptr : RAROpenArchiveEx(&open);
}

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

#pragma once
// An open libunrar archive that is closed on every way out. For .cpp files only: dll.hpp defines
// HANDLE, UINT, LPARAM ... as macros.

#include <cwchar>
#include <string>
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

// Answers libunrar's request for a password (UCM_NEEDPASSWORDW: a buffer p1 of p2 wide
// characters) with password; 0, no password, when it is empty or does not fit.
inline int AnswerPassword(const std::wstring &password, LPARAM p1, LPARAM p2)
{
    if (password.empty() || p2 <= 0 || password.size() >= size_t(p2))
        return 0;
    std::wcsncpy(reinterpret_cast<wchar_t *>(p1), password.c_str(), size_t(p2));
    return 1;
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

#pragma once
// An open libunrar archive that is closed on every way out. For .cpp files only: dll.hpp defines
// HANDLE, UINT, LPARAM ... as macros.

#include <cwchar>
#include <string>
#include <unrar/dll.hpp>

#include "engine/SetPlan.h"

// Opens the RAR set of path with libunrar in mode (RAR_OM_LIST or RAR_OM_EXTRACT) when
// RarSetRefusal allows it, with callback and userData from the start: encrypted headers ask for
// the password while the archive is opened. open gets the library's answer (its OpenResult the
// refusal, with no handle, when the set was refused; refusedVolume then the file refused).
// firstOnly: only the first header will be read (see RarSetRefusal).
inline HANDLE OpenCheckedRarArchive(const QString &path, unsigned mode, UNRARCALLBACK callback,
                                    LPARAM userData, RAROpenArchiveDataEx &open,
                                    QString *refusedVolume = nullptr, bool firstOnly = false)
{
    open = RAROpenArchiveDataEx{};
    open.OpenMode = mode;
    open.Callback = callback;
    open.UserData = userData;
    open.OpenResult = RarSetRefusal(path, refusedVolume, firstOnly);
    if (open.OpenResult)
        return nullptr;
    // The library keeps a copy of the name.
    std::wstring name = path.toStdWString();
    open.ArcNameW = name.data();
    HANDLE handle = RAROpenArchiveEx(&open);
    open.ArcNameW = nullptr;
    return handle;
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

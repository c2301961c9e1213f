#pragma once
// Runs libunrar under a UTF-8 character type on the calling thread.

#include <clocale>
#include <locale.h>

// libunrar turns wide names into file names with the C library's multibyte functions, which
// follow LC_CTYPE. In the C/POSIX locale every accented or CJK name would come out broken, so the
// library runs under a UTF-8 character type for this thread, whatever the process locale is.
class Utf8CharacterType
{
public:
    Utf8CharacterType()
    {
        m_locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
        if (!m_locale)
            m_locale = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", locale_t(nullptr));
        if (m_locale)
            m_previous = uselocale(m_locale);
    }
    ~Utf8CharacterType()
    {
        if (m_locale) {
            uselocale(m_previous);
            freelocale(m_locale);
        }
    }
    Utf8CharacterType(const Utf8CharacterType &) = delete;
    Utf8CharacterType &operator=(const Utf8CharacterType &) = delete;

private:
    locale_t m_locale = locale_t(nullptr);
    locale_t m_previous = locale_t(nullptr);
};

#pragma once

#include <locale.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "TempFolder.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

// Puts a locale with a decimal comma (German) on the calling thread, as a
// user's desktop session does for the whole program: printf writes "0,5"
// and strtod reads "0,5" while it is in force. The machine's own de_DE is
// used when it is installed; otherwise the locale is compiled into a
// temporary folder with localedef (from the locales package, which
// tools/install-deps installs), so the tests that need it never skip. The
// thread's previous locale comes back at Restore or destruction.
class CCommaLocale {
public:
    CCommaLocale() : m_folder("comma-locale") {
        m_locale = newlocale(LC_NUMERIC_MASK, kName, locale_t{});
        if (m_locale == locale_t{}) {
            m_locale = Compile();
        }
        if (m_locale == locale_t{}) {
            return;
        }
        m_previous = uselocale(m_locale);
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", 0.5);
        if (std::string(text) != "0,5") {
            m_why = std::string("the locale writes 0.5 as ") + text;
        }
    }
    ~CCommaLocale() {
        Restore();
        if (m_locale != locale_t{}) {
            freelocale(m_locale);
        }
    }
    CCommaLocale(const CCommaLocale&) = delete;
    CCommaLocale& operator=(const CCommaLocale&) = delete;

    // True when the thread now writes and reads numbers with a comma.
    bool IsActive() const { return m_previous != locale_t{} && m_why.empty(); }
    // Why the locale is not in force.
    const std::string& Why() const { return m_why; }
    // Gives the thread its previous locale back.
    void Restore() {
        if (m_previous != locale_t{}) {
            uselocale(m_previous);
            m_previous = locale_t{};
        }
    }
    // Puts the comma locale on the thread again after Restore.
    void Apply() {
        if (m_previous == locale_t{} && m_locale != locale_t{}) {
            m_previous = uselocale(m_locale);
        }
    }

private:
    static constexpr const char* kName = "de_DE.UTF-8";

    locale_t Compile() {
        if (m_folder.Get().empty()) {
            m_why = "can't make a temporary folder";
            return locale_t{};
        }
        const std::string command = "localedef -i de_DE -f UTF-8 '" + m_folder.Path(kName) +
                                    "' >'" + m_folder.Path("localedef.log") + "' 2>&1";
        const int status = std::system(command.c_str());
        const char* oldPath = getenv("LOCPATH");
        const std::string saved = oldPath != nullptr ? oldPath : "";
        setenv("LOCPATH", m_folder.Get().c_str(), 1);
#if defined(__SANITIZE_ADDRESS__)
        // The C library keeps the search path it makes of LOCPATH for the
        // life of the process: no leak of the code under test.
        __lsan_disable();
#endif
        const locale_t made = newlocale(LC_NUMERIC_MASK, kName, locale_t{});
#if defined(__SANITIZE_ADDRESS__)
        __lsan_enable();
#endif
        if (oldPath != nullptr) {
            setenv("LOCPATH", saved.c_str(), 1);
        } else {
            unsetenv("LOCPATH");
        }
        if (made == locale_t{}) {
            m_why = "no de_DE locale is installed and localedef could not make one (status " +
                    std::to_string(WEXITSTATUS(status)) + "; is the locales package installed?)";
        }
        return made;
    }

    CTempFolder m_folder;
    locale_t m_locale{};
    locale_t m_previous{};
    std::string m_why;
};

#include "UiTestEnvironment.h"

#include <QCoreApplication>

#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include <process.h>
#else
#include <unistd.h>
#endif

#ifdef _WIN32
namespace {

void setVariable(const char* name, const std::string& value, bool replace = true) {
    if (!replace && std::getenv(name)) return;
    _putenv_s(name, value.c_str());
}

}  // namespace

void prepareUiTestEnvironment() {
    setVariable("QT_QPA_PLATFORM", "offscreen", false);
    setVariable("QTEST_FUNCTION_TIMEOUT", "120000", false);
    // A fresh temporary and application-data folder of this test run, and settings that start
    // empty: the registry is the test prefix's own, shared by the test programs run in turn.
    char base[MAX_PATH + 1] = {};
    GetTempPathA(sizeof base, base);
    const std::string root = std::string(base) + "quorvel-uitest-" + std::to_string(_getpid()) +
                             "-" + std::to_string(GetTickCount());
    CreateDirectoryA(root.c_str(), nullptr);
    setVariable("TMP", root);
    setVariable("TEMP", root);
    setVariable("LOCALAPPDATA", root);
    setVariable("QUORVEL_RECOVERY_DIR", root + "\\recovery");
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Merrow\\Quorvel");
}
#else
void prepareUiTestEnvironment() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    setenv("QTEST_FUNCTION_TIMEOUT", "120000", 0);
    // A fresh home for settings, runtime files and the temporary directory of this test run.
    char pattern[] = "/tmp/quorvel-uitest-XXXXXX";
    if (const char* dir = mkdtemp(pattern)) {
        const std::string root(dir);
        setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
        setenv("TMPDIR", root.c_str(), 1);
        setenv("XDG_STATE_HOME", (root + "/state").c_str(), 1);
        setenv("QUORVEL_RECOVERY_DIR", (root + "/recovery").c_str(), 1);
    }
}
#endif

void prepareDesktopUiTestEnvironment() {
#ifdef _WIN32
    _putenv_s("QT_QPA_PLATFORM", "windows");
#endif
    prepareUiTestEnvironment();
}

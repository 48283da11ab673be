#include "UiTestEnvironment.h"

#include <QCoreApplication>

#include <cstdlib>
#include <string>

#include <unistd.h>

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

#pragma once

// Call first in a QtTest main (see QUORVEL_UI_TEST_MAIN): headless platform unless the caller
// chose one, Chromium without its sandbox (tests run as root), a private settings root and
// runtime directory, state and recovery folder so tests never touch the user's own.
void prepareUiTestEnvironment();

// The same for a test that needs the desktop's real windows (close messages, frames): on Windows
// the native platform instead of the headless one the test prefix names; elsewhere the platform
// the caller chose (the test command runs such tests under xvfb-run).
void prepareDesktopUiTestEnvironment();

// A QtTest main that prepares its environment with `prepare` first.
#define QUORVEL_UI_TEST_MAIN_PREPARED(TestClass, prepare) \
    int main(int argc, char** argv) {                     \
        prepare();                                        \
        QApplication app(argc, argv);                     \
        TestClass test;                                   \
        return QTest::qExec(&test, argc, argv);           \
    }

#define QUORVEL_UI_TEST_MAIN(TestClass) \
    QUORVEL_UI_TEST_MAIN_PREPARED(TestClass, prepareUiTestEnvironment)
#define QUORVEL_UI_DESKTOP_TEST_MAIN(TestClass) \
    QUORVEL_UI_TEST_MAIN_PREPARED(TestClass, prepareDesktopUiTestEnvironment)

#pragma once

// Call first in a QtTest main (see QUORVEL_UI_TEST_MAIN): headless platform unless the caller
// chose one, Chromium without its sandbox (tests run as root), a private settings root and
// runtime directory, state and recovery folder so tests never touch the user's own.
void prepareUiTestEnvironment();

#define QUORVEL_UI_TEST_MAIN(TestClass)         \
    int main(int argc, char** argv) {           \
        prepareUiTestEnvironment();             \
        QApplication app(argc, argv);           \
        TestClass test;                         \
        return QTest::qExec(&test, argc, argv); \
    }

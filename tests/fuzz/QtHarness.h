#pragma once

// The start of a harness that needs Qt's GUI library: the headless platform, an application
// never destroyed (at exit Qt's own statics may already be gone), and no leak report for Qt's
// caches, which live until the process ends.
#include <QGuiApplication>

extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(*argc, *argv);
    return 0;
}

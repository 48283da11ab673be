#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "ScriptedDialogs.h"
#include "editor/AppWindows.h"
#ifdef _WIN32
#include <windows.h>

#include <string>

#include "platform/RegistryKeyStore.h"
#else
#include "platform/FileKeyStore.h"
#endif

// The editor's windows as the program builds them, on a settings store of their own.
class MainWindowFixture {
  public:
    static constexpr int kWindowCeilingMs = 60000;

#ifdef _WIN32
    // A key of its own in the test prefix's registry, so no case sees another's settings.
    MainWindowFixture() : keyPath_(FreshKeyPath()), store_(keyPath_) {}
    ~MainWindowFixture() {
        windows.reset();
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            RegDeleteTreeA(root, keyPath_.c_str());
    }
#else
    MainWindowFixture() : store_(std::string(), (settingsDir.path() + "/user").toStdString()) {}
#endif

    TFormMain& start(const QStringList& arguments = {}) {
        windows = std::make_unique<TQuorvelWindows>(&store_, false, arguments);
        windows->Show();
        windows->main->activateWindow();
        // A generous ceiling for a loaded machine; a window that never becomes active fails the
        // case, since the keys and focus it checks would go nowhere.
        if (!QTest::qWaitForWindowActive(windows->main.get(), kWindowCeilingMs))
            QTest::qFail("the main window never became active", __FILE__, __LINE__);
        return *windows->main;
    }
    void stop() {
        windows.reset();
    }

    TFormMain& main() {
        return *windows->main;
    }
    quorvel::KeyStore& store() {
        return store_;
    }
    template <typename T>
    T* find(const QString& name) {
        return windows->main->findChild<T*>(name);
    }

    QTemporaryDir settingsDir;
    QTemporaryDir files;
    ScriptedDialogs dialogs;
    std::unique_ptr<TQuorvelWindows> windows;

  private:
#ifdef _WIN32
    static std::string FreshKeyPath() {
        static int made = 0;
        return "SOFTWARE\\Merrow\\QuorvelUiTest\\" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(++made);
    }
    std::string keyPath_;
    quorvel::RegistryKeyStore store_;
#else
    quorvel::FileKeyStore store_;
#endif
};

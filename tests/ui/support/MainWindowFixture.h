#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "ScriptedDialogs.h"
#include "editor/AppWindows.h"
#include "platform/FileKeyStore.h"

// The editor's windows as the program builds them, on a settings store of their own.
class MainWindowFixture {
  public:
    MainWindowFixture() : store_(std::string(), (settingsDir.path() + "/user").toStdString()) {}

    TFormMain& start(const QStringList& arguments = {}) {
        windows = std::make_unique<TQuorvelWindows>(&store_, false, arguments);
        windows->Show();
        windows->main->activateWindow();
        if (!QTest::qWaitForWindowActive(windows->main.get())) qWarning("main window not active");
        return *windows->main;
    }
    void stop() { windows.reset(); }

    TFormMain& main() { return *windows->main; }
    quorvel::KeyStore& store() { return store_; }
    template <typename T>
    T* find(const QString& name) {
        return windows->main->findChild<T*>(name);
    }

    QTemporaryDir settingsDir;
    QTemporaryDir files;
    ScriptedDialogs dialogs;
    std::unique_ptr<TQuorvelWindows> windows;

  private:
    quorvel::FileKeyStore store_;
};

#pragma once

#include <QString>
#include <QStringList>

class PreviewBrowserFactory;

namespace ui {

// The browser module's factory, loaded on the first call and kept loaded. nullptr when no folder
// holds a usable module; `whyNot` then gets the loader's reasons (for the log, not the user).
PreviewBrowserFactory* PreviewBrowserFactoryOrNull(QString* whyNot = nullptr);

// The folders searched for the module, nearest first: the installed place relative to the
// executable, then the executable's own folder (the build folder).
QStringList PreviewBrowserModuleFolders();

// Test seam: search only `folders` (an empty list restores the default). A module already
// loaded stays loaded.
void SetPreviewBrowserModuleFolders(const QStringList& folders);

}  // namespace ui

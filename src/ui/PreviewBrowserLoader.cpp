#include "ui/PreviewBrowserLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>

#include "ui/PreviewBrowser.h"

#ifndef QUORVEL_MODULE_RELDIR
#define QUORVEL_MODULE_RELDIR "../lib/quorvel"
#endif

namespace ui {
namespace {

constexpr const char* kModuleName = "quorvel_webview";

QStringList& FolderOverride() {
    static QStringList folders;
    return folders;
}

}  // namespace

QStringList PreviewBrowserModuleFolders() {
    if (!FolderOverride().isEmpty()) return FolderOverride();
    // Relative to the executable, never to where the sources were: the program may be moved.
    const QDir programDir(QCoreApplication::applicationDirPath());
    return {QDir::cleanPath(programDir.filePath(QStringLiteral(QUORVEL_MODULE_RELDIR))),
            programDir.absolutePath()};
}

void SetPreviewBrowserModuleFolders(const QStringList& folders) {
    FolderOverride() = folders;
}

PreviewBrowserFactory* PreviewBrowserFactoryOrNull(QString* whyNot) {
    static PreviewBrowserFactory* loaded = nullptr;
    if (loaded) return loaded;
    QStringList reasons;
    for (const QString& folder : PreviewBrowserModuleFolders()) {
        // QPluginLoader adds the platform's prefix and suffix to the bare name.
        QPluginLoader loader(QDir(folder).filePath(QLatin1String(kModuleName)));
        QObject* instance = loader.instance();
        if (auto* factory = qobject_cast<PreviewBrowserFactory*>(instance)) {
            loaded = factory;
            return loaded;
        }
        reasons << (instance ? QStringLiteral("%1: not a preview browser module").arg(folder)
                             : loader.errorString());
    }
    if (whyNot) *whyNot = reasons.join(QLatin1Char('\n'));
    return nullptr;
}

}  // namespace ui

#include "ui/PreviewBrowserLoader.h"

#include <QtGui/qtguiglobal.h>
#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>
#if QT_CONFIG(opengl)
#include <QOpenGLContext>
#endif

#include "ui/PreviewBrowser.h"

#ifndef QUORVEL_MODULE_RELDIR
#define QUORVEL_MODULE_RELDIR "../lib/quorvel"
#endif

#if QT_CONFIG(opengl)
QT_BEGIN_NAMESPACE
// Exported by Qt GUI; what Qt::AA_ShareOpenGLContexts sets up when the application starts.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE
#endif

namespace ui {
namespace {

constexpr const char* kModuleName = "quorvel_webview";

QStringList& FolderOverride() {
    static QStringList folders;
    return folders;
}

#if QT_CONFIG(opengl)
void DeleteSharedGlContext() {
    QOpenGLContext* context = QOpenGLContext::globalShareContext();
    qt_gl_set_global_share_context(nullptr);
    delete context;
}

// The web engine draws through OpenGL contexts shared with a global one, which must exist when
// its libraries are loaded. Made here rather than through Qt::AA_ShareOpenGLContexts at start-up,
// which would load the OpenGL driver in every session (about 150 ms and 55 MB under X11);
// no window of ours uses OpenGL before the browser.
void ShareGlContextsFromNowOn() {
    if (QOpenGLContext::globalShareContext()) return;
    auto* context = new QOpenGLContext;
    // One that cannot be created still lets the engine fall back to drawing in software.
    context->create();
    qt_gl_set_global_share_context(context);
    qAddPostRoutine(DeleteSharedGlContext);
}
#else
// A Qt without OpenGL has no web engine either; the module then simply is not found.
void ShareGlContextsFromNowOn() {}
#endif

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
    ShareGlContextsFromNowOn();
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

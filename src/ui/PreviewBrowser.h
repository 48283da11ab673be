#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QtPlugin>

#include <functional>

class QWidget;

// The preview's browser view. It is built in a module of its own, loaded on the first preview,
// because the web engine behind it costs start-up time and memory in every session otherwise.
// Header-only on purpose: the module needs no symbol of the editor.
class PreviewBrowser {
  public:
    virtual ~PreviewBrowser() = default;

    // The view to put in a layout; it belongs to the parent given to the factory and takes this
    // object with it when deleted.
    virtual QWidget* widget() = 0;
    // Shows `bytes` as a page of `mimeType` (with its character set) that came from `baseUrl`.
    virtual void setContent(const QByteArray& bytes, const QString& mimeType,
                            const QUrl& baseUrl) = 0;
    // Loads a page by address (for pages too large to hand over in memory).
    virtual void load(const QUrl& url) = 0;
    virtual QUrl url() const = 0;
    // The page's text as the browser renders it, handed to `done` later from the event loop.
    virtual void pageText(std::function<void(const QString&)> done) = 0;
    // The width in CSS pixels the page takes when laid out `cssWidth` wide (a phone's screen),
    // whatever the view's own width; handed to `done` later from the event loop, -1 when the
    // page could not tell.
    virtual void measurePageWidth(int cssWidth, std::function<void(int)> done) = 0;
    // The family of every page font (standard, sans-serif, fixed), so the page is drawn in the
    // interface's face.
    virtual void setPageFontFamily(const QString& family) = 0;
    // Told when a page starts and finishes loading (`ok` false when it failed).
    virtual void setLoadCallbacks(std::function<void()> started,
                                  std::function<void(bool ok)> finished) = 0;
};

class PreviewBrowserFactory {
  public:
    virtual ~PreviewBrowserFactory() = default;
    virtual PreviewBrowser* create(QWidget* parent) = 0;
};

#define PreviewBrowserFactory_iid "example.merrow.Quorvel.PreviewBrowserFactory/3"
Q_DECLARE_INTERFACE(PreviewBrowserFactory, PreviewBrowserFactory_iid)

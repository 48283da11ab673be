#pragma once

#include <QObject>

#include "ui/PreviewBrowser.h"

// The browser module: the only part of the program that links the web engine.
class WebViewModule : public QObject, public PreviewBrowserFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PreviewBrowserFactory_iid)
    Q_INTERFACES(PreviewBrowserFactory)

  public:
    PreviewBrowser* create(QWidget* parent) override;
};

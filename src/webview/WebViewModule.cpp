#include "webview/WebViewModule.h"

#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <utility>

namespace {

// Lays the page out at the given width for a moment and takes the right edge of every element,
// so a cell kept on one line by NOWRAP counts however wide the view is.
constexpr char kMeasureScript[] = R"((function (w) {
  var root = document.documentElement, body = document.body;
  if (!root || !body) return -1;
  var old = root.style.width;
  root.style.width = w + 'px';
  var right = 0, all = body.getElementsByTagName('*');
  for (var i = 0; i < all.length; ++i)
    right = Math.max(right, all[i].getBoundingClientRect().right + window.scrollX);
  right += parseFloat(getComputedStyle(body).marginRight) || 0;
  root.style.width = old;
  return Math.ceil(Math.max(w, right));
})(%1))";

// Of what the page names on other sites, only HTTPS pictures are loaded: no frames, styles or
// fonts from elsewhere, and "http:" pictures are blocked as the marketplace's HTTPS page blocks
// them.
class PicturesOnly final : public QWebEngineUrlRequestInterceptor {
  public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame) return;
        const QString scheme = info.requestUrl().scheme().toLower();
        const bool remote = scheme == QLatin1String("http") || scheme == QLatin1String("https");
        if (!remote) return;
        const bool picture = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeImage;
        if (!picture || scheme == QLatin1String("http")) info.block(true);
    }
};

// Lives as a child of its view, so the view's parent owns both.
class WebPreviewBrowser final : public QObject, public PreviewBrowser {
  public:
    explicit WebPreviewBrowser(QWebEngineView* view) : QObject(view), view_(view) {
        view_->setObjectName(QStringLiteral("WebBrowser1"));
        // The page is the seller's own tag text; scripts in it are not run, but its pictures on
        // other sites are loaded, as the buyer's browser loads them.
        view_->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
        view_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
        view_->page()->setUrlRequestInterceptor(new PicturesOnly(view_));
        connect(view_, &QWebEngineView::loadStarted, this, [this] {
            if (started_) started_();
        });
        connect(view_, &QWebEngineView::loadFinished, this, [this](bool ok) {
            if (finished_) finished_(ok);
        });
    }

    QWidget* widget() override { return view_; }
    void setContent(const QByteArray& bytes, const QString& mimeType,
                    const QUrl& baseUrl) override {
        view_->page()->setContent(bytes, mimeType, baseUrl);
    }
    void load(const QUrl& url) override { view_->page()->load(url); }
    QUrl url() const override { return view_->url(); }
    void pageText(std::function<void(const QString&)> done) override {
        view_->page()->toPlainText([done = std::move(done)](const QString& text) { done(text); });
    }
    void measurePageWidth(int cssWidth, std::function<void(int)> done) override {
        // The application's own world runs even though the page's scripts are switched off.
        view_->page()->runJavaScript(QString::fromLatin1(kMeasureScript).arg(cssWidth),
                                     QWebEngineScript::ApplicationWorld,
                                     [done = std::move(done)](const QVariant& width) {
                                         bool ok = false;
                                         const int pixels = width.toInt(&ok);
                                         done(ok ? pixels : -1);
                                     });
    }
    void setPageFontFamily(const QString& family) override {
        for (const auto font : {QWebEngineSettings::StandardFont, QWebEngineSettings::SansSerifFont,
                                QWebEngineSettings::FixedFont})
            view_->settings()->setFontFamily(font, family);
    }
    void setLoadCallbacks(std::function<void()> started,
                          std::function<void(bool ok)> finished) override {
        started_ = std::move(started);
        finished_ = std::move(finished);
    }

  private:
    QWebEngineView* view_;
    std::function<void()> started_;
    std::function<void(bool)> finished_;
};

}  // namespace

PreviewBrowser* WebViewModule::create(QWidget* parent) {
    return new WebPreviewBrowser(new QWebEngineView(parent));
}

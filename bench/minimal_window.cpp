// The yardstick for bench/gui-bench.sh: a plain Qt Widgets window with about as many widgets as
// the editor, no web engine. It prints the same key=value lines as the editor's bench hook: when
// its window was first painted and settled, its idle memory, a "preview" that is a plain dialog
// with the tag text in a text box, and a tag copy done by hand (write the file, read it back,
// convert it, set the clipboard).
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "hooks/BenchProbe.h"
#include "platform/Sjis.h"

namespace {

using bench_probe::kSettleMs;
using bench_probe::NowNs;
using bench_probe::RssKb;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A mix of the editor's kinds of widgets until the area holds `count` widgets, counting the
// parts composite widgets are made of (scroll bars, viewports) as the editor's count does.
void Populate(QWidget* area, int count) {
    auto* grid = new QGridLayout(area);
    for (int i = 0; area->findChildren<QWidget*>().size() < count; ++i) {
        QWidget* widget = nullptr;
        switch (i % 4) {
            case 0:
                widget = new QLabel(QStringLiteral("ラベル %1").arg(i), area);
                break;
            case 1: {
                auto* button = new QToolButton(area);
                button->setText(QStringLiteral("B%1").arg(i));
                button->setCheckable(true);
                widget = button;
                break;
            }
            case 2: {
                auto* combo = new QComboBox(area);
                combo->addItems({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")});
                widget = combo;
                break;
            }
            default: {
                auto* box = new QPlainTextEdit(area);
                box->setMaximumHeight(40);
                widget = box;
                break;
            }
        }
        grid->addWidget(widget, i / 8, i % 8);
    }
}

class Yardstick : public QMainWindow {
  public:
    Yardstick(int widgets, std::string tagFile) : tagFile_(std::move(tagFile)) {
        auto* area = new QWidget(this);
        setCentralWidget(area);
        // The window, its central widget and its status bar count too.
        Populate(area, std::max(1, widgets - 3));
        statusBar();
        resize(800, 600);
    }

  protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            std::printf("paint_ns=%lld\n", NowNs());
            QTimer::singleShot(0, this, [this] {
                std::printf("settled_ns=%lld\n", NowNs());
                std::fflush(stdout);
                QTimer::singleShot(kSettleMs, this, [this] { runAfterSettling(); });
            });
        }
        return QMainWindow::event(event);
    }

  private:
    double timePreview() {
        QDialog dialog(this);
        auto* layout = new QVBoxLayout(&dialog);
        auto* box = new QPlainTextEdit(&dialog);
        layout->addWidget(box);
        const long long start = NowNs();
        box->setPlainText(copyByHand());
        long long shown = -1;
        QTimer::singleShot(0, &dialog, [&] {
            shown = NowNs();
            dialog.reject();
        });
        dialog.exec();
        return static_cast<double>(shown - start) / 1e6;
    }

    QString copyByHand() {
        {
            std::ofstream out(tagFile_ + ".yardstick", std::ios::binary | std::ios::trunc);
            out.write(tags_.data(), static_cast<std::streamsize>(tags_.size()));
        }
        const std::string back = ReadAll(tagFile_ + ".yardstick");
        const std::string utf8 = quorvel::sjis::ToUtf8(back);
        const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
        QApplication::clipboard()->setText(text);
        return text;
    }

    void runAfterSettling() {
        tags_ = ReadAll(tagFile_);
        std::printf("rss_kb=%ld\n", RssKb());
        std::printf("widgets=%lld\n", static_cast<long long>(findChildren<QWidget*>().size() + 1));
        std::printf("preview_first_ms=%.1f\n", timePreview());
        std::printf("preview_later_ms=%.1f\n", timePreview());
        std::printf("tagcopy_us=%.1f\n", bench_probe::MedianCopyUs([this] { copyByHand(); }));
        std::remove((tagFile_ + ".yardstick").c_str());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    std::string tagFile_;
    std::string tags_;
    bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int widgets = 150;
    std::string tagFile = "/tmp/quorvel-yardstick.htm";
    const QStringList args = QApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QStringLiteral("--widgets")) widgets = args[i + 1].toInt();
        if (args[i] == QStringLiteral("--tags")) tagFile = args[i + 1].toStdString();
    }
    Yardstick window(widgets, tagFile);
    window.show();
    return QApplication::exec();
}

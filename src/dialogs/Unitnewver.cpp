#include "dialogs/Unitnewver.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "platform/Sjis.h"
#include "sheet/Maker.h"
#include "ui/Controls.h"
#include "ui/Guarded.h"
#include "ui/JapaneseUi.h"
#include "ui/UrlOpener.h"

namespace {

const QColor kLinkBlue(0, 0, 255);
const QColor kLinkRed(255, 0, 0);

// The text box's lines: CR LF, LF and CR all break a line; a break at the very end adds none.
QString DisplayLines(const std::string& cp932) {
    QString text = QString::fromStdString(quorvel::sjis::ToUtf8(cp932));
    text.remove(QChar(u'\0'));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    if (text.endsWith(u'\n')) text.chop(1);
    return text;
}

}  // namespace

TNewVerForm::TNewVerForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("NewVerForm"));
    setWindowTitle(QStringLiteral("Quorvel最新版情報"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    resize(398, 251);
    setMouseTracking(true);

    const QFont gothic = ui::pixelFont(ui::japaneseFixedFamily(), 12);

    Label1 = new QLabel(QStringLiteral("最新の Quorvel が公開されています。"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(gothic);
    Label1->move(6, 8);
    Label1->adjustSize();

    Label2 = new QLabel(QStringLiteral("最新版をダウンロードしてご利用下さい。"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(gothic);
    Label2->move(6, 24);
    Label2->adjustSize();

    Label6 = new QLabel(QString::fromUtf8(quorvel::maker::kSiteUrl), this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setFont(ui::pixelFont(ui::japaneseUiFamily(), 16));
    Label6->setCursor(Qt::PointingHandCursor);
    Label6->setMouseTracking(true);
    Label6->move(6, 42);
    Label6->adjustSize();
    Label6->installEventFilter(this);
    SetLinkColour(kLinkBlue);

    MemoInfo = new QPlainTextEdit(this);
    MemoInfo->setObjectName(QStringLiteral("MemoInfo"));
    MemoInfo->setFont(gothic);
    MemoInfo->setReadOnly(true);
    MemoInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoInfo->setGeometry(6, 64, 377, 120);
    MemoInfo->setMouseTracking(true);
    MemoInfo->viewport()->setMouseTracking(true);
    MemoInfo->installEventFilter(this);
    MemoInfo->viewport()->installEventFilter(this);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(319, 190, 63, 21);
    Button1->setDefault(true);
    ui::connectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TNewVerForm::SetVersionText(const std::string& cp932) {
    versionText_ = cp932;
}

void TNewVerForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // The notice arrives from a timer while the user works in the main window, which it blocks;
    // left to the window manager, the keyboard may stay there and Esc would be lost.
    // Asked for once the window is on the screen.
    QTimer::singleShot(0, this, [this] {
        if (!isVisible()) return;
        raise();
        activateWindow();
    });
    FormShow();
}

void TNewVerForm::FormShow() {
    MemoInfo->setPlainText(DisplayLines(versionText_));
}

void TNewVerForm::Label6Click() {
    // The notice stays open: the user may still want to read it. A failing opener is not fatal.
    try {
        openUrl(QUrl(QString::fromUtf8(quorvel::maker::kSiteUrl)));
    } catch (...) {
    }
}

void TNewVerForm::Button1Click() {
    accept();
}

void TNewVerForm::SetLinkColour(const QColor& colour) {
    QPalette palette = Label6->palette();
    palette.setColor(QPalette::WindowText, colour);
    Label6->setPalette(palette);
}

void TNewVerForm::mouseMoveEvent(QMouseEvent* event) {
    // Only the bare background counts; moves over other controls change nothing.
    if (!childAt(event->position().toPoint())) SetLinkColour(kLinkBlue);
    QDialog::mouseMoveEvent(event);
}

bool TNewVerForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label6) {
        if (event->type() == QEvent::MouseMove) {
            SetLinkColour(kLinkRed);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                Label6->rect().contains(mouse->position().toPoint()))
                Label6Click();
            return true;
        }
    } else if ((watched == MemoInfo || watched == MemoInfo->viewport()) &&
               event->type() == QEvent::MouseMove) {
        SetLinkColour(kLinkBlue);
    }
    return QDialog::eventFilter(watched, event);
}

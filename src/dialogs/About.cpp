#include "dialogs/About.h"

#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSvgRenderer>

#include "sheet/Maker.h"
#include "ui/Controls.h"
#include "ui/Guarded.h"
#include "ui/JapaneseUi.h"
#include "ui/UrlOpener.h"

namespace {

QPixmap AppIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/icons/about_app.svg"));
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

const QColor kBlue(0, 0, 255);
const QColor kBlack(0, 0, 0);

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

}  // namespace

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(244, 113);
    setFont(ui::pixelFont(ui::japaneseUiFamily(), 12));
    setMouseTracking(true);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(6, 6, 37, 37);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(AppIcon());

    const QFont gothic = ui::pixelFont(ui::japaneseFixedFamily(), 12);
    LabelAppTytle = MakeLabel(this, "LabelAppTytle", QStringLiteral("APP_TYTLE"), 92, 8);
    LabelAppTytle->setFont(gothic);
    LabelAppVer = MakeLabel(this, "LabelAppVer", QStringLiteral("APP_VER"), 92, 24);
    LabelAppVer->setFont(gothic);
    Label3 = MakeLabel(this, "Label3", QStringLiteral("Copyright (C) 2026 Merrow"), 8, 48);
    Label3->setFont(gothic);
    Label3->adjustSize();

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(174, 40, 63, 21);
    Button1->setDefault(true);
    ui::connectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 66, 229, 7);

    Label5 = MakeLabel(this, "Label5", QString::fromUtf8(quorvel::maker::kContactMail), 10, 78);
    Label6 = MakeLabel(this, "Label6", QString::fromUtf8(quorvel::maker::kSiteUrl), 10, 96);
    for (QLabel* link : {Label5, Label6}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setMouseTracking(true);
        link->installEventFilter(this);
    }

    FormCreate();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TAboutForm::FormCreate() {
    LabelAppTytle->setText(QString::fromUtf8(quorvel::maker::kAppTitle));
    LabelAppTytle->adjustSize();
    LabelAppVer->setText(QString::fromUtf8(quorvel::maker::kVersionText));
    LabelAppVer->adjustSize();
}

void TAboutForm::Button1Click() {
    close();
}

void TAboutForm::OpenAndClose(const QString& address) {
    // The window closes even when no program took the address; a failing opener is not fatal.
    try {
        openUrl(QUrl(address));
    } catch (...) {
    }
    close();
}

void TAboutForm::Label5Click() {
    OpenAndClose(QStringLiteral("mailto:") + QString::fromUtf8(quorvel::maker::kContactMail));
}

void TAboutForm::Label6Click() {
    OpenAndClose(QString::fromUtf8(quorvel::maker::kSiteUrl));
}

void TAboutForm::SetLinkColours(const QColor& mail, const QColor& site) {
    for (auto [label, colour] : {std::pair{Label5, mail}, std::pair{Label6, site}}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour);
        label->setPalette(palette);
    }
}

void TAboutForm::mouseMoveEvent(QMouseEvent* event) {
    // Only the bare background resets the links; other controls change nothing.
    if (!childAt(event->position().toPoint())) SetLinkColours(kBlack, kBlack);
    QDialog::mouseMoveEvent(event);
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label5 || watched == Label6) {
        if (event->type() == QEvent::MouseMove) {
            if (watched == Label5)
                SetLinkColours(kBlue, kBlack);
            else
                SetLinkColours(kBlack, kBlue);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            auto* label = static_cast<QLabel*>(watched);
            if (mouse->button() == Qt::LeftButton &&
                label->rect().contains(mouse->position().toPoint())) {
                if (label == Label5)
                    Label5Click();
                else
                    Label6Click();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "ScriptedDialogs.h"
#include "UiTestEnvironment.h"
#include "UiTestHelpers.h"
#include "dialogs/Unitnewver.h"
#include "platform/Sjis.h"
#include "sheet/Maker.h"
#include "ui/UrlOpener.h"

namespace {

std::string Cp932(const char* utf8) {
    return quorvel::sjis::FromUtf8(utf8).bytes;
}

}  // namespace

class TestNewVer : public QObject {
    Q_OBJECT

  private slots:
    void init() { opener = std::make_unique<uitest::RecordingUrlOpener>(); }
    void cleanup() { opener.reset(); }

    void windowAndControls() {
        TNewVerForm form;
        QCOMPARE(form.objectName(), QStringLiteral("NewVerForm"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Quorvel最新版情報"));
        QCOMPARE(form.size(), QSize(398, 251));
        QCOMPARE(form.Label1->text(), QStringLiteral("最新の Quorvel が公開されています。"));
        QCOMPARE(form.Label2->text(), QStringLiteral("最新版をダウンロードしてご利用下さい。"));
        QCOMPARE(form.Label6->text(), QString::fromUtf8(quorvel::maker::kSiteUrl));
        QCOMPARE(form.Label6->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(form.Label6->font().pixelSize(), 16);
        QCOMPARE(form.MemoInfo->geometry(), QRect(6, 64, 377, 120));
        QVERIFY(form.MemoInfo->isReadOnly());
        QCOMPARE(form.MemoInfo->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(form.MemoInfo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(form.MemoInfo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(form.Button1->geometry(), QRect(319, 190, 63, 21));
        QCOMPARE(form.Button1->text(), QStringLiteral("OK"));
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label6")), form.Label6);

        // Controls keep their places when the window grows.
        form.resize(600, 400);
        QCOMPARE(form.MemoInfo->geometry(), QRect(6, 64, 377, 120));
        QCOMPARE(form.Button1->geometry(), QRect(319, 190, 63, 21));
    }

    void showingFillsTheTextBoxWithEveryLine() {
        TNewVerForm form;
        ScriptedDialogs scripted;
        QString shown;
        scripted.modalScripts.push_back([&](QDialog&) {
            shown = form.MemoInfo->toPlainText();
            QTest::mouseClick(form.Button1, Qt::LeftButton);
            return form.result();
        });
        form.SetVersionText(Cp932("173\r\n新しい版が出ました。\r\n\r\n・不具合の修正\r\n"));
        QCOMPARE(dialogs().execModal(form), int(QDialog::Accepted));
        QCOMPARE(shown, QStringLiteral("173\n新しい版が出ました。\n\n・不具合の修正"));
        QCOMPARE(form.MemoInfo->document()->blockCount(), 4);

        // Every showing takes the current text; LF-only and CR-only breaks split lines too.
        scripted.modalScripts.push_back([&](QDialog&) {
            shown = form.MemoInfo->toPlainText();
            return int(QDialog::Rejected);
        });
        form.SetVersionText(std::string("180\nA\rB"));
        dialogs().execModal(form);
        QCOMPARE(shown, QStringLiteral("180\nA\nB"));
        QCOMPARE(scripted.modalShown, (std::vector<QString>{"NewVerForm", "NewVerForm"}));
    }

    void linkOpensTheSiteAndTheWindowStays() {
        TNewVerForm form;
        form.show();
        QTest::mouseClick(form.Label6, Qt::LeftButton);
        QCOMPARE(opener->opened, QStringList{QString::fromUtf8(quorvel::maker::kSiteUrl)});
        QVERIFY(form.isVisible());
        // A press that is released outside the link opens nothing.
        QTest::mousePress(form.Label6, Qt::LeftButton);
        QTest::mouseRelease(form.Label6, Qt::LeftButton, {}, QPoint(-5, -5));
        QCOMPARE(opener->opened.size(), 1);
    }

    void hoverColours() {
        TNewVerForm form;
        form.show();
        const QColor blue(0, 0, 255);
        const QColor red(255, 0, 0);
        QCOMPARE(uitest::TextColour(form.Label6), blue);

        uitest::MoveOver(form.Label6, QPoint(3, 3));
        QCOMPARE(uitest::TextColour(form.Label6), red);
        uitest::MoveOver(form.MemoInfo->viewport(), QPoint(20, 20));
        QCOMPARE(uitest::TextColour(form.Label6), blue);

        uitest::MoveOver(form.Label6, QPoint(3, 3));
        const QPoint background(390, 30);
        QVERIFY(!form.childAt(background));
        uitest::MoveOver(&form, background);
        QCOMPARE(uitest::TextColour(form.Label6), blue);

        // The OK button is neither background nor text box: the colour stays.
        uitest::MoveOver(form.Label6, QPoint(3, 3));
        uitest::MoveOver(form.Button1, QPoint(5, 5));
        QCOMPARE(uitest::TextColour(form.Label6), red);
        uitest::MoveOver(&form, form.Button1->geometry().center());
        QCOMPARE(uitest::TextColour(form.Label6), red);
    }

  private:
    std::unique_ptr<uitest::RecordingUrlOpener> opener;
};

QUORVEL_UI_TEST_MAIN(TestNewVer)
#include "test_newver.moc"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>

#include "ScriptedDialogs.h"
#include "UiTestEnvironment.h"
#include "UiTestHelpers.h"
#include "dialogs/About.h"
#include "sheet/Maker.h"
#include "ui/UrlOpener.h"

class TestAbout : public QObject {
    Q_OBJECT

  private slots:
    void init() { opener = std::make_unique<uitest::RecordingUrlOpener>(); }
    void cleanup() { opener.reset(); }

    void windowAndTexts() {
        TAboutForm form;
        QCOMPARE(form.objectName(), QStringLiteral("AboutForm"));
        QCOMPARE(form.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(form.size(), QSize(244, 113));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QCOMPARE(form.LabelAppTytle->text(), QStringLiteral("Quorvel"));
        QCOMPARE(form.LabelAppVer->text(), QStringLiteral("Ver. 1.72"));
        QVERIFY(form.Label3->text().contains(QStringLiteral("Merrow")));
        QCOMPARE(form.Label5->text(), QString::fromUtf8(quorvel::maker::kContactMail));
        QCOMPARE(form.Label6->text(), QString::fromUtf8(quorvel::maker::kSiteUrl));
        QCOMPARE(form.Label5->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(form.Label6->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(form.Button1->text(), QStringLiteral("OK"));
        QCOMPARE(form.Bevel1->frameShape(), QFrame::HLine);
        QCOMPARE(form.Bevel1->geometry(), QRect(8, 66, 229, 7));

        // The icon is drawn, not blank.
        const QImage icon = form.Image1->pixmap().toImage();
        QCOMPARE(icon.size(), QSize(32, 32));
        int painted = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (qAlpha(icon.pixel(x, y)) > 0) ++painted;
        QVERIFY(painted > 200);
    }

    void mailLinkStartsAMailAndCloses() {
        TAboutForm form;
        ScriptedDialogs scripted;
        bool closedByClick = false;
        scripted.modalScripts.push_back([&](QDialog& dialog) {
            QTest::mouseClick(form.Label5, Qt::LeftButton);
            closedByClick = !dialog.isVisible();
            return dialog.result();
        });
        dialogs().execModal(form);
        QVERIFY(closedByClick);
        QCOMPARE(opener->opened, QStringList{QStringLiteral("mailto:") +
                                             QString::fromUtf8(quorvel::maker::kContactMail)});
    }

    void siteLinkOpensTheSiteAndCloses() {
        TAboutForm form;
        ScriptedDialogs scripted;
        bool closedByClick = false;
        scripted.modalScripts.push_back([&](QDialog& dialog) {
            QTest::mouseClick(form.Label6, Qt::LeftButton);
            closedByClick = !dialog.isVisible();
            return dialog.result();
        });
        dialogs().execModal(form);
        QVERIFY(closedByClick);
        QCOMPARE(opener->opened, QStringList{QString::fromUtf8(quorvel::maker::kSiteUrl)});

        // Shown again with the same contents; OK closes without opening anything.
        scripted.modalScripts.push_back([&](QDialog& dialog) {
            QTest::mouseClick(form.Button1, Qt::LeftButton);
            closedByClick = !dialog.isVisible();
            return dialog.result();
        });
        dialogs().execModal(form);
        QVERIFY(closedByClick);
        QCOMPARE(opener->opened.size(), 1);
        QCOMPARE(form.LabelAppVer->text(), QStringLiteral("Ver. 1.72"));
    }

    void hoverColours() {
        TAboutForm form;
        form.show();
        const QColor blue(0, 0, 255);
        const QColor black(0, 0, 0);
        const QColor start = form.palette().color(QPalette::WindowText);
        QCOMPARE(uitest::TextColour(form.Label5), start);
        QCOMPARE(uitest::TextColour(form.Label6), start);

        uitest::MoveOver(form.Label5, QPoint(2, 2));
        QCOMPARE(uitest::TextColour(form.Label5), blue);
        QCOMPARE(uitest::TextColour(form.Label6), black);
        // Straight from the mail link to the web link.
        uitest::MoveOver(form.Label6, QPoint(2, 2));
        QCOMPARE(uitest::TextColour(form.Label5), black);
        QCOMPARE(uitest::TextColour(form.Label6), blue);

        // Other controls change nothing.
        uitest::MoveOver(form.Label3, QPoint(2, 2));
        uitest::MoveOver(form.Button1, QPoint(2, 2));
        QCOMPARE(uitest::TextColour(form.Label6), blue);
        // Not even when such a move reaches the window itself, as a propagated one would.
        uitest::MoveOver(&form, form.Label3->geometry().center());
        QCOMPARE(uitest::TextColour(form.Label6), blue);

        const QPoint background(200, 100);
        QVERIFY(!form.childAt(background));
        uitest::MoveOver(&form, background);
        QCOMPARE(uitest::TextColour(form.Label5), black);
        QCOMPARE(uitest::TextColour(form.Label6), black);
    }

  private:
    std::unique_ptr<uitest::RecordingUrlOpener> opener;
};

QUORVEL_UI_TEST_MAIN(TestAbout)
#include "test_about.moc"

#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "UiTestHelpers.h"
#include "dialogs/Preview.h"
#include "editor/DocumentController.h"
#include "panes/CellEdit.h"
#include "panes/FormatToolbar.h"
#include "store/Settings.h"
#include "ui/PreviewBrowser.h"

namespace {

// Where the first character of the box's first line is drawn, as a share of the viewport's width.
double firstCharacterPlace(TCellEdit* box) {
    QTextCursor start(box->document());
    start.movePosition(QTextCursor::Start);
    const QRect caret = box->cursorRect(start);
    return double(caret.left()) / box->viewport()->width();
}

}  // namespace

// What a seller expects of the window itself: formatting shown in the box at once, the window
// back where it was left, the usual keys, and cells that scroll rather than hide lines.
class WindowKeysTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { fixture = std::make_unique<MainWindowFixture>(); }
    void cleanup() { fixture.reset(); }

    void alignmentShowsInEveryBoxAtOnce() {
        TFormMain& main = fixture->start();
        TFormatToolbar* bar = main.FormatToolbar();
        for (int tag = quorvel::kTitleTag; tag <= quorvel::kNoteTag; ++tag) {
            TCellEdit* box = main.CellByTag(tag);
            box->setFocus(Qt::TabFocusReason);
            box->setPlainText(QStringLiteral("abc"));
            QCoreApplication::processEvents();
            const QByteArray name = box->objectName().toUtf8();
            bar->SpeedButtonRight->click();
            QCOMPARE(box->Cell().Format.HAlign, quorvel::kHAlignRight);
            QVERIFY2(box->document()->defaultTextOption().alignment() & Qt::AlignRight, name);
            QVERIFY2(firstCharacterPlace(box) > 0.6, name);
            bar->SpeedButtonCenter->click();
            QVERIFY2(box->document()->defaultTextOption().alignment() & Qt::AlignHCenter, name);
            const double centre = firstCharacterPlace(box);
            QVERIFY2(centre > 0.25 && centre < 0.6, name);
            bar->SpeedButtonLeft->click();
            QVERIFY2(box->document()->defaultTextOption().alignment() & Qt::AlignLeft, name);
            QVERIFY2(firstCharacterPlace(box) < 0.1, name);
            // Right is the right edge whatever the desktop's reading direction.
            QCOMPARE(box->layoutDirection(), Qt::LeftToRight);
        }
    }

    void geometryComesBackThroughThreeRestartsWithStayOnTop() {
        quorvel::SettingsSnapshot stored;
        stored.Left = 123;
        stored.Top = 77;
        stored.Width = 450;
        stored.Height = 520;
        stored.Pv_Left = 40;
        stored.Pv_Top = 60;
        stored.SpeedButtonStayOnTop = true;
        QVERIFY(quorvel::WriteSettings(fixture->store(), stored));
        for (int run = 0; run < 3; ++run) {
            TFormMain& main = fixture->start();
            QVERIFY(main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            QCOMPARE(main.pos(), QPoint(123, 77));
            QCOMPARE(main.size(), QSize(450, 520));
            QCOMPARE(main.Preview()->pos(), QPoint(40, 60));
            QVERIFY(main.close());
            fixture->stop();
            const auto read = quorvel::ReadStoredSettings(fixture->store());
            QVERIFY(read);
            QCOMPARE(read->Left, 123);
            QCOMPARE(read->Top, 77);
            QCOMPARE(read->Width, 450);
            QCOMPARE(read->SpeedButtonStayOnTop, true);
        }
    }

    void stayOnTopKeepsTheShownWindowAndItsPreview() {
        TFormMain& main = fixture->start();
        fixture->dialogs.modalScripts.push_back([](QDialog& dialog) { return dialog.result(); });
        fixture->find<QToolButton>("SpeedButtonPreview")->click();
#if QUORVEL_HAVE_WEBVIEW
        QVERIFY(main.Preview()->browser());
#endif
        const WId native = main.winId();
        const QPoint frame = main.pos();
        auto* toggle = fixture->find<QToolButton>("SpeedButtonStayOnTop");
        for (bool on : {true, false}) {
            toggle->click();
            QCOMPARE(main.windowFlags().testFlag(Qt::WindowStaysOnTopHint), on);
            QCOMPARE(main.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), on);
            // The same native window: not torn down with the preview's web view inside.
            QCOMPARE(main.winId(), native);
            QCOMPARE(main.pos(), frame);
            QVERIFY(main.isVisible());
        }
    }

    void withoutAStoredPositionTheWindowSystemPlaces() {
        {
            TFormMain& main = fixture->start();
            QVERIFY(!main.testAttribute(Qt::WA_Moved));
            QVERIFY(!main.Preview()->testAttribute(Qt::WA_Moved));
            fixture->stop();
        }
        // Sizes stored, positions not: the sizes apply, the placing stays the system's.
        {
            auto key = fixture->store().Open(true);
            QVERIFY(key);
            key->WriteDword("Width", 500);
            key->WriteDword("Pv_Height", 300);
            key->WriteDword("ParamExist", 1);
            QVERIFY(key->Commit());
        }
        TFormMain& main = fixture->start();
        QCOMPARE(main.width(), 500);
        QCOMPARE(main.Preview()->height(), 300);
        QVERIFY(!main.testAttribute(Qt::WA_Moved));
        QVERIFY(!main.Preview()->testAttribute(Qt::WA_Moved));
    }

    void fileKeysRunTheButtonsHandlersFromACell() {
        TFormMain& main = fixture->start();
        TCellEdit* cell = fixture->find<TCellEdit>("Memo2Right");
        cell->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(cell, "abc");
        QCOMPARE(cell->toPlainText(), QStringLiteral("abc"));

        const QString saved = fixture->files.filePath("keys.qvl");
        fixture->dialogs.fileAnswers.push_back(saved);
        QTest::keyClick(cell, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(int(fixture->dialogs.fileRequests.size()), 1);
        QVERIFY(fixture->dialogs.fileRequests.back().save);
        QVERIFY(QFile::exists(saved));
        QCOMPARE(main.CurrentFileName(), saved);
        QVERIFY(!main.AnyCellModified());

        fixture->dialogs.fileAnswers.push_back(std::nullopt);
        QTest::keyClick(cell, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(int(fixture->dialogs.fileRequests.size()), 2);
        QCOMPARE(fixture->dialogs.fileRequests.back().fileName, saved);

        fixture->dialogs.fileAnswers.push_back(std::nullopt);
        QTest::keyClick(cell, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(int(fixture->dialogs.fileRequests.size()), 3);
        QVERIFY(!fixture->dialogs.fileRequests.back().save);

        // The cell's own keys still work, and New runs its save question.
        QTest::keyClicks(cell, "d");
        QTest::keyClick(cell, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(cell->textCursor().selectedText(), QStringLiteral("abcd"));
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        QTest::keyClick(cell, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(fixture->dialogs.messages.back().caption, QStringLiteral("確認"));
        QVERIFY(main.CurrentFileName().isEmpty());
        QVERIFY(cell->toPlainText().isEmpty());
        QCOMPARE(fixture->dialogs.unexpected, 0);
    }

    void escapeClosesThePreviewLikeItsCloseBox() {
        fixture->start();
        bool closed = false, shown = false, active = false;
        fixture->dialogs.modalScripts.push_back([&](QDialog& dialog) {
            auto& preview = static_cast<TFormPreview&>(dialog);
            shown = QTest::qWaitForWindowExposed(&preview, MainWindowFixture::kWindowCeilingMs);
            preview.activateWindow();
            active = QTest::qWaitForWindowActive(&preview, MainWindowFixture::kWindowCeilingMs);
            // The key goes where the focus is: the rendered page, which keeps keys it handles.
            QWidget* page = preview.browser() ? preview.browser()->widget()->focusProxy() : nullptr;
            QWidget* target = page ? page : static_cast<QWidget*>(preview.ButtonCopyClose);
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Escape);
            closed = !preview.isVisible();
            return dialog.result();
        });
        fixture->find<QToolButton>("SpeedButtonPreview")->click();
        QVERIFY(shown);
        QVERIFY(active);
        QVERIFY(closed);
    }

    // A stored preview position off the screen (another monitor once, a damaged value) is
    // brought back onto it, whole.
    void aStoredPreviewPositionOffTheScreenIsBroughtBack_data() {
        QTest::addColumn<QPoint>("stored");
        QTest::addColumn<QPoint>("expected");  // -1: the screen's far edge less the window
        QTest::newRow("negative") << QPoint(-300, -50) << QPoint(0, 0);
        QTest::newRow("oversized") << QPoint(100000, 100000) << QPoint(-1, -1);
        QTest::newRow("left only") << QPoint(-2147483647, 40) << QPoint(0, 40);
        QTest::newRow("inside") << QPoint(40, 60) << QPoint(40, 60);
    }
    void aStoredPreviewPositionOffTheScreenIsBroughtBack() {
        QFETCH(QPoint, stored);
        QFETCH(QPoint, expected);
        quorvel::SettingsSnapshot settings;
        settings.Pv_Left = stored.x();
        settings.Pv_Top = stored.y();
        settings.Pv_Width = 320;
        settings.Pv_Height = 240;
        QVERIFY(quorvel::WriteSettings(fixture->store(), settings));
        TFormMain& main = fixture->start();
        const QSize screen = main.Preview()->screen()->size();
        if (expected.x() < 0) expected.setX(screen.width() - 320);
        if (expected.y() < 0) expected.setY(screen.height() - 240);
        QCOMPARE(main.Preview()->pos(), expected);
        QCOMPARE(main.Preview()->size(), QSize(320, 240));
    }

    void cellsScrollSidewaysWithoutAHorizontalBar() {
        TFormMain& main = fixture->start();
        TCellEdit* cell = main.CellByTag(quorvel::kTitleTag + 1);
        QCOMPARE(cell->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(cell->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(cell->lineWrapMode(), QTextEdit::NoWrap);
        cell->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(cell, QString(120, u'x').toLatin1().constData());
        QCoreApplication::processEvents();
        QCOMPARE(cell->document()->blockCount(), 1);  // one line, not wrapped
        QVERIFY(cell->horizontalScrollBar()->value() > 0);
        QVERIFY(cell->viewport()->rect().contains(cell->cursorRect().center()));
        QTest::keyClick(cell, Qt::Key_Home);
        QCOMPARE(cell->horizontalScrollBar()->value(), 0);
    }

  private:
    std::unique_ptr<MainWindowFixture> fixture;
};

QUORVEL_UI_TEST_MAIN(WindowKeysTest)
#include "test_window_keys.moc"

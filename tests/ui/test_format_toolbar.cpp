// What the format toolbar shows as the focus moves between cells and other controls.
#include "FormatToolbarHarness.h"
#include "UiTestEnvironment.h"

using namespace formattest;

class TestFormatToolbar : public FormatToolbarTestBase {
    Q_OBJECT
  private slots:
    void init() { startHarness(); }
    void cleanup() { stopHarness(); }

    void buildsTheToolbarDisabledAndUp() {
        // Before the window is shown, so that no cell has the focus yet.
        w.reset();
        w = std::make_unique<Harness>();
        QCOMPARE(bar().objectName(), QStringLiteral("ToolBar2"));
        QCOMPARE(bar().height(), 30);
        QVERIFY(!bar().isMovable());

        // Order, with separators after all, underline, back colour and right.
        QStringList order;
        for (QAction* action : bar().actions()) {
            if (action->isSeparator()) {
                order << QStringLiteral("|");
            } else if (QWidget* widget = bar().widgetForAction(action)) {
                order << widget->objectName();
            }
        }
        const QStringList expected = {"SpeedButtonAll",
                                      "|",
                                      "SpeedButtonFontColor",
                                      "SpeedButtonFontSizeUp",
                                      "SpeedButtonFontSizeDown",
                                      "SpeedButtonBold",
                                      "SpeedButtonItalic",
                                      "SpeedButtonUnder",
                                      "|",
                                      "SpeedButtonBackColor",
                                      "|",
                                      "SpeedButtonLeft",
                                      "SpeedButtonCenter",
                                      "SpeedButtonRight",
                                      "|",
                                      "SpeedButtonVTop",
                                      "SpeedButtonVCenter",
                                      "SpeedButtonVBottom",
                                      "|",
                                      "SpeedButtonDesign"};
        QCOMPARE(order, expected);
        // The design button is for the whole sheet: it works with no cell in hand.
        QVERIFY(bar().SpeedButtonDesign->isEnabled());
        QVERIFY(!bar().SpeedButtonDesign->isCheckable());
        QCOMPARE(bar().SpeedButtonDesign->focusPolicy(), Qt::NoFocus);

        for (QToolButton* button : allButtons()) {
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
            QVERIFY2(!button->isChecked(), qPrintable(button->objectName()));
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        }
        QVERIFY(!w->link->isEnabled());

        const QStringList toggles = {"SpeedButtonAll",    "SpeedButtonBold", "SpeedButtonItalic",
                                     "SpeedButtonUnder",  "SpeedButtonLeft", "SpeedButtonCenter",
                                     "SpeedButtonRight",  "SpeedButtonVTop", "SpeedButtonVCenter",
                                     "SpeedButtonVBottom"};
        for (QToolButton* button : allButtons())
            QCOMPARE(button->isCheckable(), toggles.contains(button->objectName()));

        // Short hint as tool tip, long one for the status bar.
        QCOMPARE(bar().SpeedButtonAll->toolTip(), QStringLiteral("全セル適用"));
        QCOMPARE(bar().SpeedButtonAll->statusTip(), QStringLiteral("全てのセルに編集を適用"));
        QCOMPARE(bar().SpeedButtonFontSizeDown->toolTip(), QStringLiteral("フォント小"));
        QCOMPARE(bar().SpeedButtonFontSizeDown->statusTip(),
                 QStringLiteral("文字（フォント）サイズを小さく"));
        QCOMPARE(bar().SpeedButtonUnder->statusTip(), QStringLiteral("文字（フォント）を下線つき"));
        QCOMPARE(bar().SpeedButtonBackColor->toolTip(), QStringLiteral("背景色"));
        QCOMPARE(bar().SpeedButtonRight->statusTip(), QStringLiteral("セル内の文字を右揃え"));
        QCOMPARE(bar().SpeedButtonVCenter->toolTip(), QStringLiteral("中央寄せ"));
        QCOMPARE(bar().SpeedButtonVBottom->statusTip(), QStringLiteral("セル内の文字を下寄せ"));
        for (QToolButton* button : allButtons())
            QVERIFY2(!button->icon().isNull(), qPrintable(button->objectName()));
    }

    void theCellFocusedWithTheWindowIsShown() {
        // init() showed the window: the first cell got the focus with its activation.
        QVERIFY(w->box(quorvel::kTitleTag)->hasFocus());
        QVERIFY(bar().SpeedButtonFontColor->isEnabled());
        QVERIFY(bar().SpeedButtonBackColor->isEnabled());
        QCOMPARE(hDowns(), QStringLiteral("100"));
        QCOMPARE(vDowns(), QStringLiteral("100"));
        QVERIFY(w->link->isEnabled());

        // Deactivating and reactivating the window is not a new entry: a raised vertical button
        // stays raised.
        bar().SpeedButtonVTop->click();
        QCOMPARE(vDowns(), QStringLiteral("000"));
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTRY_VERIFY_WITH_TIMEOUT(w->box(quorvel::kTitleTag)->hasFocus(), 60000);
        QVERIFY(bar().SpeedButtonFontColor->isEnabled());
        QCOMPARE(vDowns(), QStringLiteral("000"));
    }

    void showsTheEnteredCellsFormat() {
        // Title: the largest size, bold and underlined, right aligned (code 1), bottom.
        TCellFormat& title = w->sheet.Title.Format;
        title.FontSize = 18;
        title.Bold = true;
        title.Underline = true;
        title.HAlign = quorvel::kHAlignRight;
        title.VAlign = quorvel::kVAlignBottom;
        // A row cell: the smallest size, italic, centred both ways.
        TCellFormat& row = w->sheet.CellByTag(kRow3Description).Format;
        row.FontSize = 7;
        row.Italic = true;
        row.HAlign = quorvel::kHAlignCenter;
        row.VAlign = quorvel::kVAlignCenter;
        // The note: an off-ladder size, right aligned, with a vertical alignment it never shows.
        TCellFormat& note = w->sheet.Note.Format;
        note.FontSize = 10;
        note.Bold = true;
        note.Italic = true;
        note.Underline = true;
        note.HAlign = quorvel::kHAlignRight;
        note.VAlign = quorvel::kVAlignBottom;

        QVERIFY(enter(quorvel::kTitleTag));
        QVERIFY(bar().SpeedButtonAll->isEnabled());
        QVERIFY(bar().SpeedButtonFontColor->isEnabled());
        QVERIFY(!bar().SpeedButtonFontSizeUp->isEnabled());
        QVERIFY(bar().SpeedButtonFontSizeDown->isEnabled());
        QCOMPARE(downs({bar().SpeedButtonBold, bar().SpeedButtonItalic, bar().SpeedButtonUnder}),
                 QStringLiteral("101"));
        QCOMPARE(hDowns(), QStringLiteral("001"));
        QVERIFY(bar().SpeedButtonBackColor->isEnabled());
        QVERIFY(bar().SpeedButtonVTop->isEnabled() && bar().SpeedButtonVBottom->isEnabled());
        QCOMPARE(vDowns(), QStringLiteral("001"));
        QVERIFY(w->link->isEnabled());

        // Straight from cell to cell: the new cell's state, nothing left over from the title.
        QVERIFY(enter(kRow3Description));
        QVERIFY(bar().SpeedButtonFontSizeUp->isEnabled());
        QVERIFY(!bar().SpeedButtonFontSizeDown->isEnabled());
        QCOMPARE(downs({bar().SpeedButtonBold, bar().SpeedButtonItalic, bar().SpeedButtonUnder}),
                 QStringLiteral("010"));
        QCOMPARE(hDowns(), QStringLiteral("010"));
        QCOMPARE(vDowns(), QStringLiteral("010"));
        QVERIFY(bar().SpeedButtonBackColor->isEnabled());

        QVERIFY(enter(quorvel::kNoteTag));
        for (QToolButton* button : allButtons()) {
            const bool noteOff =
                button == bar().SpeedButtonBackColor || button == bar().SpeedButtonVTop ||
                button == bar().SpeedButtonVCenter || button == bar().SpeedButtonVBottom;
            QVERIFY2(button->isEnabled() == !noteOff, qPrintable(button->objectName()));
        }
        QCOMPARE(vDowns(), QStringLiteral("000"));
        QCOMPARE(hDowns(), QStringLiteral("001"));
        QCOMPARE(downs({bar().SpeedButtonBold, bar().SpeedButtonItalic, bar().SpeedButtonUnder}),
                 QStringLiteral("111"));
        QVERIFY(w->link->isEnabled());

        // No cell focused.
        QVERIFY(leaveTo(w->checkBox));
        for (QToolButton* button : allButtons()) {
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
            QVERIFY2(!button->isChecked(), qPrintable(button->objectName()));
        }
        QVERIFY(!w->link->isEnabled());
    }

    void tabbingFromABoldCellShowsBoldUp() {
        w->sheet.Title.Format.Bold = true;
        QVERIFY(enter(quorvel::kTitleTag));
        QVERIFY(bar().SpeedButtonBold->isChecked());
        QTest::keyClick(w->box(quorvel::kTitleTag), Qt::Key_Tab);
        QTRY_VERIFY_WITH_TIMEOUT(w->box(quorvel::ItemTag(1))->hasFocus(), 60000);
        QVERIFY(bar().SpeedButtonBold->isEnabled());
        QVERIFY(!bar().SpeedButtonBold->isChecked());
        // Tabbing is not typing.
        QVERIFY(!w->sheet.AnyCellModified());
    }

    void otherControlsDisableAllAndKeepApplyToAll() {
        QVERIFY(leaveTo(w->checkBox));
        bar().SetApplyToAll(true);
        QVERIFY(bar().ApplyToAll());
        QVERIFY(!bar().SpeedButtonAll->isEnabled());
        w->sheet.CellByTag(kRow3Description).Format.Underline = true;

        for (QWidget* other :
             {static_cast<QWidget*>(w->checkBox), static_cast<QWidget*>(w->comboBox)}) {
            QVERIFY(enter(kRow3Description));
            QVERIFY(bar().SpeedButtonAll->isEnabled());
            QVERIFY(bar().SpeedButtonAll->isChecked());
            QVERIFY(bar().SpeedButtonUnder->isChecked());
            QVERIFY(leaveTo(other));
            for (QToolButton* button : allButtons())
                QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
            QVERIFY(!w->link->isEnabled());
            QVERIFY(!bar().SpeedButtonUnder->isChecked());
            QVERIFY(bar().SpeedButtonAll->isChecked());
            QVERIFY(bar().ApplyToAll());
        }

        // The user's own toggle survives the leave too.
        QVERIFY(enter(quorvel::kTitleTag));
        QTest::mouseClick(bar().SpeedButtonAll, Qt::LeftButton);
        QVERIFY(!bar().ApplyToAll());
        QVERIFY(w->box(quorvel::kTitleTag)->hasFocus());
        QVERIFY(leaveTo(w->comboBox));
        QVERIFY(!bar().ApplyToAll());
    }
};

QUORVEL_UI_TEST_MAIN(TestFormatToolbar)

#include "test_format_toolbar.moc"

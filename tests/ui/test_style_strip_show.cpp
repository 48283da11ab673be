// The style strip showing a style replaced as a whole, and how its miniature is drawn.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "StyleStripFixture.h"
#include "UiTestEnvironment.h"
#include "document/SheetDocument.h"
#include "panes/StyleStrip.h"
#include "sheet/DescriptionSheet.h"
#include "ui/StyleMiniature.h"

using quorvel::TTableStyle;

namespace {

constexpr quorvel::TColor kBlue = 0x00FF0000;
constexpr quorvel::TColor kGrey = 0x00808080;

using Fixture = uitest::StyleStripFixture;

}  // namespace

class TestStyleStripShow : public QObject {
    Q_OBJECT
  private slots:
    void showWholeStyleAfterLoadAndReset();
    void shapeOutlineLiesInsideBounds();
};

void TestStyleStripShow::showWholeStyleAfterLoadAndReset() {
    Fixture f;
    QSignalSpy changes(&f.strip, &TStyleStrip::styleChanged);
    // As a loaded file would leave it.
    f.load(TTableStyle{2, 4, 0x00123456, false, 3, 1});
    QCOMPARE(changes.count(), 1);
    QVERIFY(f.strip.SpeedButtonTableAlignRight->isChecked());
    QVERIFY(!f.strip.SpeedButtonTableAlignCenter->isChecked());
    QVERIFY(f.strip.SpeedButtonBannerCenter->isChecked());
    QVERIFY(!f.strip.SpeedButtonBannerLeft->isChecked());
    QCOMPARE(f.tableLeft(), 30);
    QCOMPARE(f.bannerLeft(), 25);
    QCOMPARE(f.strip.ComboBoxTableBorderWidth->currentText(), QStringLiteral("4"));
    QCOMPARE(f.strip.ComboBoxSpacing->currentText(), QStringLiteral("3"));
    QVERIFY(!f.strip.CheckBoxBorderSet->isChecked());
    QVERIFY(!f.strip.SpeedButtonBorderColor->isEnabled());
    QCOMPARE(f.strip.ShapeTableBorderColor->PenColor(), kGrey);
    QCOMPARE(f.strip.ShapeTableBorderColor->PenWidth(), 4);
    QCOMPARE(f.textBlock(), QPoint(30 + 4 + 3, 5 + 4 + 3));
    QVERIFY(f.style() == (TTableStyle{2, 4, 0x00123456, false, 3, 1}));
    // Ticking again shows the loaded colour.
    f.strip.CheckBoxBorderSet->click();
    QCOMPARE(f.strip.ShapeTableBorderColor->PenColor(), 0x00123456u);

    // New: the sheet is reset and the whole style shown again.
    f.strip.ComboBoxTableBorderWidth->setCurrentIndex(0);
    f.load(TTableStyle{});
    QVERIFY(f.strip.SpeedButtonTableAlignCenter->isChecked());
    QVERIFY(!f.strip.SpeedButtonTableAlignRight->isChecked());
    QVERIFY(f.strip.SpeedButtonBannerLeft->isChecked());
    QVERIFY(!f.strip.SpeedButtonBannerCenter->isChecked());
    QCOMPARE(f.strip.ComboBoxTableBorderWidth->currentText(), QStringLiteral("1"));
    QCOMPARE(f.strip.ComboBoxSpacing->currentText(), QStringLiteral("0"));
    QVERIFY(f.strip.CheckBoxBorderSet->isChecked());
    QVERIFY(f.strip.SpeedButtonBorderColor->isEnabled());
    QCOMPARE(f.strip.ShapeTableBorderColor->PenColor(), kBlue);
    QCOMPARE(f.strip.ShapeTableBorderColor->OutlineWidth(), 1);
    QCOMPARE(f.tableLeft(), 18);
    QCOMPARE(f.bannerLeft(), 6);
    QCOMPARE(f.textBlock(), QPoint(19, 6));
    QVERIFY(f.style() == TTableStyle{});

    // Values the lists cannot show are brought into their range; unknown alignments move nothing.
    f.load(TTableStyle{7, 15, kBlue, true, -2, -1});
    QCOMPARE(f.style().BorderWidth, 9);
    QCOMPARE(f.style().CellPadding, 0);
    QCOMPARE(f.strip.ComboBoxTableBorderWidth->currentText(), QStringLiteral("9"));
    QCOMPARE(f.strip.ComboBoxSpacing->currentText(), QStringLiteral("0"));
    QCOMPARE(f.tableLeft(), 18);
    QCOMPARE(f.bannerLeft(), 6);
    QCOMPARE(f.textBlock(), QPoint(18 + 9, 5 + 9));
}

void TestStyleStripShow::shapeOutlineLiesInsideBounds() {
    Fixture f;
    f.strip.ComboBoxTableBorderWidth->setCurrentIndex(3);
    TShape* table = f.strip.ShapeTableBorderColor;
    const QImage image = table->grab().toImage();
    QCOMPARE(image.size(), table->size());
    const QColor blue(0, 0, 255);
    // Three pixels of outline at every edge, then the hatched inside.
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(image.pixelColor(i, image.height() / 2), blue);
        QCOMPARE(image.pixelColor(image.width() - 1 - i, image.height() / 2), blue);
        QCOMPARE(image.pixelColor(image.width() / 2, i), blue);
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() - 1 - i), blue);
    }
    int insideBlue = 0;
    for (int y = 3; y < image.height() - 3; ++y)
        for (int x = 3; x < image.width() - 3; ++x)
            if (image.pixelColor(x, y) == blue) ++insideBlue;
    QCOMPARE(insideBlue, 0);

    // The banner's hatch rises from lower left to upper right.
    const QImage banner = f.strip.ShapeBanner->grab().toImage();
    const QColor red(255, 0, 0);
    int rising = 0;
    int falling = 0;
    for (int y = 2; y < banner.height() - 2; ++y)
        for (int x = 1; x < banner.width() - 2; ++x) {
            if (banner.pixelColor(x, y) != red) continue;
            if (banner.pixelColor(x + 1, y - 1) == red) ++rising;
            if (banner.pixelColor(x + 1, y + 1) == red) ++falling;
        }
    QVERIFY2(rising > 10 && falling < rising / 4,
             qPrintable(QStringLiteral("rising %1 falling %2").arg(rising).arg(falling)));
}

QUORVEL_UI_TEST_MAIN(TestStyleStripShow)
#include "test_style_strip_show.moc"

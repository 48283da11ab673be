#include <QImage>
#include <QPixmap>
#include <QtTest>

#include "UiTestEnvironment.h"
#include "ui/GlyphIcon.h"

class GlyphIconTest : public QObject {
    Q_OBJECT
  private slots:
    void drawsAtTheAskedSizeAndGreysWhenDisabled() {
        const QIcon icon = ui::glyphIcon(QStringLiteral("preview"));
        QVERIFY(!icon.isNull());
        const QImage normal = icon.pixmap(QSize(16, 16)).toImage();
        QCOMPARE(normal.size(), QSize(16, 16));
        QVERIFY(normal.pixelColor(8, 2).alpha() > 0);  // the glyph's title bar
        const QImage disabled = icon.pixmap(QSize(16, 16), QIcon::Disabled).toImage();
        QCOMPARE(disabled.size(), QSize(16, 16));
        QVERIFY(disabled != normal);
        // Drawn again from the SVG at a larger size, not scaled up from the small one.
        const QImage large = icon.pixmap(QSize(32, 32)).toImage();
        QCOMPARE(large.size(), QSize(32, 32));
        QCOMPARE(icon.pixmap(QSize(16, 16)).toImage(), normal);
    }

    void aMissingGlyphIsANullIcon() {
        const QIcon icon = ui::glyphIcon(QStringLiteral("no_such_glyph"));
        QVERIFY(icon.isNull());
        QVERIFY(icon.pixmap(QSize(16, 16)).isNull());
    }
};

QUORVEL_UI_TEST_MAIN(GlyphIconTest)

#include "test_glyph_icon.moc"

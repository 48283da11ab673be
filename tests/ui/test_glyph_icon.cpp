#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QTemporaryDir>
#include <QtTest>

#include "UiTestEnvironment.h"
#include "ui/GlyphIcon.h"
#include "ui/PictureSetIcon.h"

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

    // A build without Qt's SVG module draws the rendered pictures; a glyph without them is a
    // blank button there.
    void everyGlyphHasItsRenderedPicturesAtOneAndTwiceItsSize() {
        const QDir glyphs(QStringLiteral(QUORVEL_SOURCE_DIR "/resources/icons"));
        const QStringList names = glyphs.entryList({QStringLiteral("*.svg")}, QDir::Files);
        QVERIFY2(names.size() > 20, qPrintable(glyphs.absolutePath()));
        for (const QString& svg : names) {
            const QString name = svg.chopped(4);
            const QSize one = QImageReader(glyphs.filePath("png/" + name + ".png"), "png").size();
            const QSize two =
                QImageReader(glyphs.filePath("png/" + name + "@2x.png"), "png").size();
            QVERIFY2(one.isValid() && two == one * 2, qPrintable(name));
        }
    }

    // The window icon: each size from its own picture, read when first drawn (so a picture
    // written after the icon was made is the one shown), a size between two taken from the
    // larger one, and nothing scaled up past the largest.
    void aPictureSetDrawsEachSizeFromItsOwnPictureWhenFirstAsked() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QIcon icon = ui::pictureSetIcon(folder.filePath(QStringLiteral("%1.png")), {32, 16});
        QCOMPARE(icon.availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
        for (const auto& [side, colour] : {std::pair{16, Qt::red}, std::pair{32, Qt::blue}}) {
            QImage picture(side, side, QImage::Format_ARGB32);
            picture.fill(colour);
            QVERIFY(picture.save(folder.filePath(QStringLiteral("%1.png").arg(side))));
        }
        const auto centre = [](const QPixmap& pixmap) {
            return pixmap.toImage().pixelColor(pixmap.width() / 2, pixmap.height() / 2);
        };
        QCOMPARE(centre(icon.pixmap(16)), QColor(Qt::red));
        QCOMPARE(centre(icon.pixmap(32)), QColor(Qt::blue));
        QCOMPARE(icon.pixmap(24).size(), QSize(24, 24));
        QCOMPARE(centre(icon.pixmap(24)), QColor(Qt::blue));
        QCOMPARE(icon.pixmap(64).size(), QSize(32, 32));
        QVERIFY(icon.pixmap(16, QIcon::Disabled).toImage() != icon.pixmap(16).toImage());
    }

    void aMissingGlyphIsANullIcon() {
        const QIcon icon = ui::glyphIcon(QStringLiteral("no_such_glyph"));
        QVERIFY(icon.isNull());
        QVERIFY(icon.pixmap(QSize(16, 16)).isNull());
    }
};

QUORVEL_UI_TEST_MAIN(GlyphIconTest)

#include "test_glyph_icon.moc"

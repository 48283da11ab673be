// The installed share folder as the desktop reads it: the file type through Qt's MIME database
// (XDG_DATA_DIRS names only the installed tree) and the icons at every size.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QtTest>

#include "sheet/DescriptionSheet.h"
#include "store/DataFile.h"

namespace {

const QString kType = QStringLiteral("application/x-quorvel");

QString InstalledShare() {
    return qEnvironmentVariable("QUORVEL_INSTALLED_SHARE");
}

}  // namespace

class InstalledTree : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir work_;
    QString savedSheet_;

  private slots:
    void initTestCase() {
        QVERIFY2(QFileInfo(InstalledShare()).isDir(), "QUORVEL_INSTALLED_SHARE is no folder");
        QVERIFY(qEnvironmentVariable("XDG_DATA_DIRS").startsWith(InstalledShare()));
        QVERIFY(work_.isValid());
        // A real sheet, saved by the program's own writer under a name without extension.
        quorvel::TDescriptionSheet sheet;
        sheet.ResetSheet();
        savedSheet_ = work_.filePath(QStringLiteral("listing"));
        QVERIFY(!quorvel::SaveDataFile(sheet, savedSheet_.toStdString()));
    }

    void typeIsKnownWithCommentsAndIcon() {
        const QMimeType type = QMimeDatabase().mimeTypeForName(kType);
        QVERIFY2(type.isValid(), "application/x-quorvel is not in the installed database");
        QCOMPARE(type.globPatterns(), QStringList{QStringLiteral("*.qvl")});
        QCOMPARE(type.iconName(), QStringLiteral("application-x-quorvel"));
        QLocale::setDefault(QLocale(QLocale::English));
        QCOMPARE(type.comment(), QStringLiteral("Quorvel listing sheet"));
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        QCOMPARE(type.comment(), QStringLiteral("Quorvel 商品説明シート"));
        QLocale::setDefault(QLocale::c());
    }

    void recognisedByName() {
        const QMimeDatabase db;
        QCOMPARE(
            db.mimeTypeForFile(QStringLiteral("/nowhere/shoes.qvl"), QMimeDatabase::MatchExtension)
                .name(),
            kType);
        QCOMPARE(
            db.mimeTypeForFile(QStringLiteral("/nowhere/SHOES.QVL"), QMimeDatabase::MatchExtension)
                .name(),
            kType);
        QVERIFY(db.mimeTypeForFile(QStringLiteral("/nowhere/shoes.qvl.txt"),
                                   QMimeDatabase::MatchExtension)
                    .name() != kType);
    }

    void recognisedByContent_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("isSheet");
        QFile saved(savedSheet_);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray sheet = saved.readAll();
        QCOMPARE(sheet.size(), qsizetype(quorvel::kDataFileSize));
        QTest::newRow("saved sheet") << sheet << true;
        QTest::newRow("magic alone") << QByteArray("QuorvelDataFile\0", 16) << true;
        QByteArray noNul = sheet;
        noNul[15] = 'X';
        QTest::newRow("magic without its NUL") << noNul << false;
        QTest::newRow("magic not at the start") << QByteArray(" QuorvelDataFile\0", 17) << false;
        QTest::newRow("plain text") << QByteArray("QuorvelDataFile") << false;
    }

    void recognisedByContent() {
        QFETCH(QByteArray, content);
        QFETCH(bool, isSheet);
        const QString path = work_.filePath(QStringLiteral("probe"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(content), content.size());
        file.close();
        const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchContent);
        QCOMPARE(type.name() == kType, isSheet);
        // The default lookup of a name without extension falls back on the content too.
        QCOMPARE(QMimeDatabase().mimeTypeForFile(path).name() == kType, isSheet);
    }

    void iconsAtEverySize_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("size");
        for (int size : {16, 24, 32, 48, 64, 128, 256}) {
            const QString folder = QStringLiteral("icons/hicolor/%1x%1/").arg(size);
            QTest::newRow(qPrintable(QStringLiteral("app %1").arg(size)))
                << folder + QStringLiteral("apps/example.merrow.Quorvel.png") << size;
            QTest::newRow(qPrintable(QStringLiteral("file type %1").arg(size)))
                << folder + QStringLiteral("mimetypes/application-x-quorvel.png") << size;
        }
    }

    void iconsAtEverySize() {
        QFETCH(QString, file);
        QFETCH(int, size);
        const QImage image(QDir(InstalledShare()).filePath(file));
        QVERIFY2(!image.isNull(), qPrintable(file));
        QCOMPARE(image.size(), QSize(size, size));
        // Drawn, not an empty canvas: the corners are clear and the middle is not.
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QVERIFY(qAlpha(image.pixel(size / 2, size / 2)) > 0);
    }

    void scalableIcons() {
        for (const char* file : {"icons/hicolor/scalable/apps/example.merrow.Quorvel.svg",
                                 "icons/hicolor/scalable/mimetypes/application-x-quorvel.svg"}) {
            QFile svg(QDir(InstalledShare()).filePath(QString::fromLatin1(file)));
            QVERIFY2(svg.open(QIODevice::ReadOnly), file);
            QVERIFY(svg.readAll().contains("<svg"));
        }
    }
};

QTEST_GUILESS_MAIN(InstalledTree)
#include "test_installed_tree.moc"

#include <QAccessible>
#include <QCheckBox>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyleOptionGroupBox>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

#include <QtTest>
#include "dialogs/PreviewPhoneTab.h"
#include "ui/PreviewBrowser.h"

#if QUORVEL_HAVE_WEBVIEW
#include <QWebEngineSettings>
#include <QWebEngineView>
#endif

#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "dialogs/Linkunit.h"
#include "dialogs/Preview.h"
#include "dialogs/PreviewPhoneTab.h"
#include "panes/CellEdit.h"
#include "ui/JapaneseUi.h"

namespace {

QString accessibleName(QObject* object) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QString();
}

bool hasJapanese(const QString& text) {
    for (const QChar ch : text)
        if (ch.unicode() >= 0x3000) return true;
    return false;
}

// Where a group box puts its contents, below its caption.
QRect contentsOf(QGroupBox* group) {
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.lineWidth = 1;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.textAlignment = group->alignment();
    return group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents,
                                          group);
}

}  // namespace

// The editor's own texts are Japanese by design; these cases are about Qt's texts, the face the
// windows draw in and the names a screen reader hears.
class JapaneseUiTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        // Qt's folder, or the one beside the program where a static Windows build finds them.
        translationPresent = QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                                           QStringLiteral("/qtbase_ja.qm")) ||
                             QFile::exists(QCoreApplication::applicationDirPath() +
                                           QStringLiteral("/translations/qtbase_ja.qm"));
        QCOMPARE(ui::installQtJapanese(*qApp), translationPresent);
        ui::useJapaneseUiFont();
    }
    void init() { fixture = std::make_unique<MainWindowFixture>(); }
    void cleanup() { fixture.reset(); }

    void qtsOwnButtonsAndDialogsSpeakJapanese() {
        QMessageBox box(QMessageBox::Question, QStringLiteral("確認"),
                        QStringLiteral("変更を保存しますか？"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        const QString yes = box.button(QMessageBox::Yes)->text();
        const QString cancel = box.button(QMessageBox::Cancel)->text();
        QFileDialog files(nullptr);
        files.setOption(QFileDialog::DontUseNativeDialog, true);
        auto* lookIn = files.findChild<QLabel*>(QStringLiteral("lookInLabel"));
        QVERIFY(lookIn);
        QColorDialog colours;
        if (!translationPresent) {
            QCOMPARE(yes, QStringLiteral("&Yes"));
            QSKIP("qtbase_ja is not installed: Qt's texts stay English");
        }
        QVERIFY2(hasJapanese(yes), qPrintable(yes));
        QVERIFY2(hasJapanese(cancel), qPrintable(cancel));
        QVERIFY2(hasJapanese(lookIn->text()), qPrintable(lookIn->text()));
        QVERIFY2(hasJapanese(colours.windowTitle()), qPrintable(colours.windowTitle()));
    }

    void oneProportionalGothicFaceAtNinePoints() {
        const QString chosen = ui::firstInstalledFamily(ui::japaneseUiFamilyCandidates());
        // A name fontconfig merely substitutes does not count as installed.
        QVERIFY(ui::firstInstalledFamily({QStringLiteral("Quorvel No Such Face")}).isEmpty());
        if (chosen.isEmpty()) QSKIP("no Japanese proportional Gothic face is installed");
        QCOMPARE(QApplication::font().family(), chosen);
        QCOMPARE(QApplication::font().pointSize(), 9);
        // The face really draws: not a substitute under the chosen name.
        QCOMPARE(QFontInfo(QApplication::font()).family(), chosen);

        TFormMain& main = fixture->start();
        TCellEdit* title = main.CellByTag(quorvel::kTitleTag);
        QCOMPARE(QFontInfo(title->font()).family(), chosen);
        QCOMPARE(QFontInfo(fixture->find<QCheckBox>("CheckBoxKou1")->font()).family(), chosen);

#if QUORVEL_HAVE_WEBVIEW
        // The preview's page renders in the buyer's face when it names none.
        fixture->dialogs.modalScripts.push_back([](QDialog& dialog) { return dialog.result(); });
        fixture->find<QToolButton>("SpeedButtonPreview")->click();
        // The view lives in the browser module; this test links the engine to look inside it.
        QVERIFY(main.Preview()->browser());
        auto* view = qobject_cast<QWebEngineView*>(main.Preview()->browser()->widget());
        QVERIFY(view);
        for (const auto font : {QWebEngineSettings::StandardFont, QWebEngineSettings::SansSerifFont,
                                QWebEngineSettings::FixedFont})
            QCOMPARE(view->settings()->fontFamily(font), PageFaceFamily());
#endif
    }

    // The font database names a face in the user's language, so the choice is made in fresh
    // processes under each locale; every one must draw in the same proportional face.
    void sameProportionalFaceUnderJapaneseAndOtherLocales() {
        const QString report = qEnvironmentVariable("QUORVEL_FACE_REPORT");
        if (!report.isEmpty()) {
            writeFaceReport(report);
            return;
        }
        if (ui::firstInstalledFamily(ui::japaneseUiFamilyCandidates()).isEmpty())
            QSKIP("no Japanese proportional Gothic face is installed");
        QTemporaryDir locales;
        QVERIFY(locales.isValid());
        const int made = QProcess::execute(
            QStringLiteral("localedef"),
            {QStringLiteral("-i"), QStringLiteral("ja_JP"), QStringLiteral("-f"),
             QStringLiteral("UTF-8"), locales.filePath(QStringLiteral("ja_JP.UTF-8"))});
        if (made != 0) QSKIP("localedef cannot make ja_JP.UTF-8 here");
        QStringList reports;
        for (const QString& lang :
             {QStringLiteral("ja_JP.UTF-8"), QStringLiteral("C.UTF-8"), QString()}) {
            const QString file = locales.filePath(QStringLiteral("face-%1").arg(reports.size()));
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            for (const char* name : {"LANG", "LC_ALL", "LC_CTYPE", "LC_MESSAGES", "LANGUAGE"})
                env.remove(QString::fromLatin1(name));
            if (!lang.isEmpty()) env.insert(QStringLiteral("LANG"), lang);
            env.insert(QStringLiteral("LOCPATH"), locales.path());
            env.insert(QStringLiteral("QUORVEL_FACE_REPORT"), file);
            QProcess child;
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("sameProportionalFaceUnderJapaneseAndOtherLocales")});
            QVERIFY(child.waitForFinished(60000));
            QVERIFY2(child.exitCode() == 0, child.readAllStandardOutput().constData());
            QFile text(file);
            QVERIFY2(text.open(QIODevice::ReadOnly), qPrintable(lang));
            const QStringList lines = QString::fromUtf8(text.readAll()).split(u'\n');
            QCOMPARE(lines.size(), 3);
            QVERIFY2(lines[1] == QStringLiteral("proportional"), qPrintable(lang + lines[1]));
            reports << lines[2];
            if (lang.startsWith(u'j'))  // the database's own name is the Japanese one there
                QVERIFY2(hasJapanese(lines[0]), qPrintable(lines[0]));
        }
        QCOMPARE(reports[0], reports[1]);
        QCOMPARE(reports[0], reports[2]);
    }

    void everyButtonCheckBoxAndCellHasAnAccessibleName() {
        TFormMain& main = fixture->start();
        int buttons = 0;
        for (QToolButton* button : main.findChildren<QToolButton*>()) {
            if (button->toolTip().isEmpty()) continue;  // the row-height arrows have no hint
            QCOMPARE(accessibleName(button), button->toolTip());
            ++buttons;
        }
        // File toolbar, format toolbar and the style strip's buttons.
        QVERIFY2(buttons >= 10 + 14 + 7, qPrintable(QString::number(buttons)));
        QCOMPARE(accessibleName(fixture->find<QToolButton>("SpeedButtonBold")),
                 main.findChild<QToolButton*>("SpeedButtonBold")->toolTip());
        for (QCheckBox* box : main.findChildren<QCheckBox*>())
            QVERIFY2(!accessibleName(box).isEmpty(), qPrintable(box->objectName()));

        QCOMPARE(accessibleName(main.CellByTag(quorvel::kTitleTag)), QStringLiteral("タイトル"));
        QCOMPARE(accessibleName(fixture->find<TCellEdit>("Memo1Left")), QStringLiteral("項目１"));
        QCOMPARE(accessibleName(fixture->find<TCellEdit>("Memo10Left")),
                 QStringLiteral("項目１０"));
        QCOMPARE(accessibleName(fixture->find<TCellEdit>("Memo3Right")), QStringLiteral("説明３"));
        QCOMPARE(accessibleName(fixture->find<TCellEdit>("MemoKey")), QStringLiteral("枠外注記"));
        for (int tag = quorvel::kTitleTag; tag < quorvel::kTitleTag + quorvel::kCellCount; ++tag)
            QVERIFY(!accessibleName(main.CellByTag(tag)).isEmpty());
    }

    void linkDialogControlsFitInTheChosenFace() {
        TLinkForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect client = form.rect().adjusted(0, 0, 0, -form.StatusBar1->height());
        for (bool mail : {false, true}) {
            form.RadioGroupType->SetItemIndex(mail ? 1 : 0);
            form.RadioGroupTypeClick();
            QList<QWidget*> shown;
            for (QWidget* child : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (child->isVisible() && child != form.StatusBar1) shown << child;
            for (QWidget* a : shown) {
                QVERIFY2(client.contains(a->geometry()), qPrintable(a->objectName()));
                for (QWidget* b : shown)
                    QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                             qPrintable(a->objectName() + " / " + b->objectName()));
            }
            for (TRadioGroup* group : {form.RadioGroupType, form.RadioGroupTarget}) {
                if (!group->isVisible()) continue;
                const QRect inside = contentsOf(group);
                for (int i = 0; i < group->Count(); ++i) {
                    QRadioButton* item = group->Item(i);
                    QVERIFY2(item->width() >= item->sizeHint().width(), qPrintable(item->text()));
                    QVERIFY2(inside.contains(item->geometry()), qPrintable(item->text()));
                }
            }
            if (mail)
                QVERIFY(form.EditSubject->height() >= form.EditSubject->minimumSizeHint().height());
        }
    }

  private:
    // Which face this process draws its interface in: the database's name for it, whether its
    // Latin letters are proportional, and the face's names in every language.
    static void writeFaceReport(const QString& path) {
        const QFont font = QApplication::font();
        const QFontMetrics metrics(font);
        const bool proportional = metrics.horizontalAdvance(QStringLiteral("iiii")) <
                                  metrics.horizontalAdvance(QStringLiteral("WWWW"));
        QStringList names = ui::familyNamesOf(QFontInfo(font).family());
        names.sort();
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write((QFontInfo(font).family() + u'\n' +
                   (proportional ? QStringLiteral("proportional") : QStringLiteral("fixed")) +
                   u'\n' + names.join(u','))
                      .toUtf8());
    }

    bool translationPresent = false;
    std::unique_ptr<MainWindowFixture> fixture;
};

QUORVEL_UI_TEST_MAIN(JapaneseUiTest)
#include "test_japanese_ui.moc"

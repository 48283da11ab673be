#include <QtGui/qtguiglobal.h>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QMessageBox>
#if QT_CONFIG(opengl)
#include <QOpenGLContext>
#endif
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "UiTestHelpers.h"
#include "dialogs/Preview.h"
#include "editor/CloseWithBoxes.h"
#include "panes/CellEdit.h"
#include "platform/TempDir.h"
#include "sheet/HtmlGenerator.h"
#include "store/DataFile.h"
#include "ui/ErrorBox.h"
#include "ui/Placement.h"
#include "ui/SjisText.h"

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { fixture = std::make_unique<MainWindowFixture>(); }
    void cleanup() { fixture.reset(); }

    void fileToolbarControlsAndHints() {
        TFormMain& main = fixture->start();
        const struct {
            const char* name;
            const char* tip;
            const char* status;
            bool enabled;
            bool toggle;
        } buttons[] = {
            {"SpeedButtonNew", "新規作成", "編集中の内容を破棄して新規に作成", true, false},
            {"SpeedButtonOpen", "開く", "保存しているデータを読み込み編集", true, false},
            {"SpeedButtonSave", "上書き保存", "編集中データを現在のファイル名で上書き保存", true,
             false},
            {"SpeedButtonSaveAs", "名前を付けて保存", "編集中データに名前をつけてファイル保存",
             true, false},
            {"SpeedButtonPreview", "プレビュー", "プレビューを表示／HTMLタグ内容コピー", true,
             false},
            {"SpeedButtonTagCopy", "タグコピー", "プレビューなしタグコピー", true, false},
            {"SpeedButtonLink", "リンクタグ", "リンクタグを挿入", false, false},
            {"SpeedButtonStayOnTop", "最前面表示", "他のｱﾌﾟﾘｹｰｼｮﾝよりも前面で実行", true, true},
            {"SpeedButtonMulti", "多重起動許可（次回起動から有効）", "複数起動を許可", true, true},
            {"SpeedButtonHelp", "バージョン情報", "バージョン情報", true, false},
        };
        auto* bar = fixture->find<QToolBar>("ToolBar1");
        QVERIFY(bar);
        for (const auto& b : buttons) {
            auto* button = fixture->find<QToolButton>(b.name);
            QVERIFY2(button, b.name);
            QCOMPARE(button->toolTip(), QString::fromUtf8(b.tip));
            QCOMPARE(button->statusTip(), QString::fromUtf8(b.status));
            QCOMPARE(button->isEnabled(), b.enabled);
            QCOMPARE(button->isCheckable(), b.toggle);
            QVERIFY(!button->isChecked());
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
            QVERIFY(!button->icon().isNull());
            QCOMPARE(button->parentWidget(), bar);
        }
        QCOMPARE(fixture->find<QToolButton>("SpeedButtonPreview")->width(), 19);
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - 無題"));
        QVERIFY(fixture->find<QStatusBar>("StatusBar1"));
    }

    void everyAreaIsPresentByName() {
        fixture->start();
        for (const char* name :
             {"ToolBar2", "ScrollBox2", "PanelTop", "ScrollBox1", "PanelBottom", "Splitter2",
              "PanelLeft", "PanelRight", "MemoTytle", "MemoKey", "CheckBoxTytle", "CheckBoxSearch",
              "SpeedButtonUW", "SpeedButtonDW", "ComboBoxTableBorderWidth", "Timer1"}) {
            QVERIFY2(fixture->main().findChild<QObject*>(name), name);
        }
        for (int row = 1; row <= 10; ++row) {
            for (const QString& name :
                 {QStringLiteral("Memo%1Left"), QStringLiteral("Memo%1Right"),
                  QStringLiteral("PanelKou%1"), QStringLiteral("PanelSet%1"),
                  QStringLiteral("CheckBoxKou%1"), QStringLiteral("CheckBoxSet%1"),
                  QStringLiteral("SpeedButtonU%1"), QStringLiteral("SpeedButtonD%1")}) {
                QVERIFY2(fixture->main().findChild<QObject*>(name.arg(row)),
                         qPrintable(name.arg(row)));
            }
        }
        auto* cell = fixture->find<TCellEdit>("Memo7Left");
        QCOMPARE(cell->Tag(), 1013);
        QCOMPARE(fixture->find<TCellEdit>("Memo7Right")->Tag(), 1014);
        QCOMPARE(fixture->find<TCellEdit>("MemoKey")->Tag(), 1021);
        QCOMPARE(fixture->find<QCheckBox>("CheckBoxKou10")->text(), QStringLiteral("項目１０"));
        QCOMPARE(fixture->find<QCheckBox>("CheckBoxSet3")->text(), QStringLiteral("説明３"));
    }

    void focusStartsOnTheBorderWidthListAndTabFollowsTheOrder() {
        TFormMain& main = fixture->start();
        QCOMPARE(main.focusWidget(), fixture->find<QWidget>("ComboBoxTableBorderWidth"));
        QVERIFY(!main.FocusedCell());
        QVERIFY(!fixture->find<QToolButton>("SpeedButtonBold")->isEnabled());
        QStringList expected{"CheckBoxBorderSet", "ComboBoxSpacing", "CheckBoxTytle", "MemoTytle"};
        for (int row = 1; row <= 10; ++row)
            expected << QStringLiteral("CheckBoxKou%1").arg(row)
                     << QStringLiteral("Memo%1Left").arg(row);
        for (int row = 1; row <= 10; ++row)
            expected << QStringLiteral("CheckBoxSet%1").arg(row)
                     << QStringLiteral("Memo%1Right").arg(row);
        expected << "CheckBoxSearch"
                 << "MemoKey";
        QWidget* at = main.focusWidget();
        for (const QString& name : expected) {
            at = at->nextInFocusChain();
            while (at->focusPolicy() == Qt::NoFocus || !at->isVisible())
                at = at->nextInFocusChain();
            QCOMPARE(at->objectName(), name);
        }
    }

    void errorBoxAppendsAFullStopAfterLaterCharacters() {
        QCOMPARE(ErrorBoxText(QStringLiteral("Connection Failed")),
                 QStringLiteral("Connection Failed."));
        QCOMPARE(ErrorBoxText(QStringLiteral("done.")), QStringLiteral("done."));
        QCOMPARE(ErrorBoxText(QStringLiteral("what!")), QStringLiteral("what!"));
        QCOMPARE(ErrorBoxText(QStringLiteral("10061:Connection refused")),
                 QStringLiteral("10061:Connection refused."));
        QCOMPARE(ErrorBoxText(QStringLiteral("失敗")), QStringLiteral("失敗."));
        QCOMPARE(ErrorBoxText(QString()), QString());
    }

    // The desktop closes the window while a real box is up over it: an error box goes and the
    // close runs with its save question; a question keeps the window waiting.
    void aCloseFromTheDesktopDismissesAnErrorBoxButNotAQuestion() {
        TFormMain& main = fixture->start();
        TCloseWithBoxes& closing = *fixture->windows->closing;
        QVERIFY(!closing.CloseRequested());  // no box: Qt closes the window itself
        QVERIFY(main.isVisible());
        uitest::TypeInto(fixture->find<TCellEdit>("Memo1Left"), QStringLiteral("未保存"));

        setDialogs(nullptr);
        bool questionKept = false;
        QTimer::singleShot(0, &main, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            questionKept = !closing.CloseRequested() && box->isVisible();
            box->button(QMessageBox::No)->click();
        });
        const auto answer = dialogs().message(&main, QStringLiteral("続けますか？"),
                                              QStringLiteral("確認"), QMessageBox::Question,
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        QCOMPARE(answer, QMessageBox::No);
        QVERIFY(questionKept);
        QCoreApplication::processEvents();
        QVERIFY(main.isVisible());

        bool taken = false;
        QString shown;
        QTimer::singleShot(0, &main, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            shown = box->text();
            taken = closing.CloseRequested();
            if (!taken) box->done(0);
        });
        ShowErrorBox(&main, QStringLiteral("Connection Failed"));
        setDialogs(&fixture->dialogs);
        QVERIFY(taken);
        QCOMPARE(shown, QStringLiteral("Connection Failed."));
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        QTRY_VERIFY_WITH_TIMEOUT(!main.isVisible(), 60000);
        QCOMPARE(fixture->dialogs.messages.size(), std::size_t(1));
        QCOMPARE(fixture->dialogs.messages[0].caption, QStringLiteral("終了確認"));
    }

    void windowsAreKeptOnTheScreen() {
        QCOMPARE(ui::KeptOnScreen(QRect(-50, 10, 300, 200), QSize(1024, 768)).topLeft(),
                 QPoint(0, 10));
        QCOMPARE(ui::KeptOnScreen(QRect(900, -5, 500, 200), QSize(1024, 768)).topLeft(),
                 QPoint(524, 0));
        QCOMPARE(ui::KeptOnScreen(QRect(10, 700, 300, 200), QSize(1024, 768)).topLeft(),
                 QPoint(10, 568));
        // Larger than the screen: its title bar stays on it, and it is cut to the screen.
        QCOMPARE(ui::KeptOnScreen(QRect(-1, -1, 1100, 800), QSize(1024, 768)),
                 QRect(0, 0, 1024, 768));
        QCOMPARE(ui::KeptOnScreen(QRect(30, 40, 300, 900), QSize(1024, 768)),
                 QRect(30, 0, 300, 768));
    }

    void commandLineOpensTheFirstFileThatLoads() {
        const QString first = fixture->files.filePath("first.qvl");
        const QString second = fixture->files.filePath("second.qvl");
        const QString broken = fixture->files.filePath("broken.qvl");
        quorvel::TDescriptionSheet sheet;
        sheet.Title.Text = "first";
        quorvel::SaveDataFile(sheet, first.toStdString());
        sheet.Title.Text = "second";
        quorvel::SaveDataFile(sheet, second.toStdString());
        QFile file(broken);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(23552, 'x'));
        file.close();

        TFormMain& main =
            fixture->start({fixture->files.filePath("missing.qvl"), broken, second, first});
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - second"));
        QCOMPARE(main.CurrentFileName(), second);
        QCOMPARE(main.Sheet().Title.Text, std::string("second"));
        QCOMPARE(fixture->find<TCellEdit>("MemoTytle")->toPlainText(), QStringLiteral("second"));
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);  // only the broken one complains
        QCOMPARE(fixture->dialogs.messages[0].caption, QStringLiteral("データ読み込み"));
        QVERIFY(!main.AnyCellModified());
    }

    void noArgumentsStartUntitled() {
        TFormMain& main = fixture->start({});
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - 無題"));
        QVERIFY(main.CurrentFileName().isEmpty());
        QVERIFY(fixture->dialogs.messages.empty());
    }

    void tagCopyPutsTheFileBytesOnTheClipboard() {
        TFormMain& main = fixture->start();
        uitest::TypeInto(fixture->find<TCellEdit>("MemoTytle"), QStringLiteral("デジタルカメラ①"));
        uitest::TypeInto(fixture->find<TCellEdit>("Memo1Right"), QStringLiteral("ｶﾒﾗ～"));
        fixture->find<QToolButton>("SpeedButtonTagCopy")->click();
        const QString path = QString::fromStdString(quorvel::PreviewFilePath().path);
        const QByteArray bytes = readFile(path);
        QCOMPARE(bytes.toStdString(), quorvel::BuildHtmlTags(main.Sheet()));
        QCOMPARE(QApplication::clipboard()->text(), ui::fromSjis(bytes.toStdString()));
        QVERIFY(QApplication::clipboard()->text().contains(QStringLiteral("デジタルカメラ①")));
        QCOMPARE(main.StatusBar1->currentMessage(), QStringLiteral("コピー完了！"));
        QVERIFY(fixture->dialogs.modalShown.empty());
        QVERIFY(!main.Preview()->isVisible());
    }

    void startingAndCopyingTagsLoadNoOpenGl() {
        // The OpenGL driver is the preview browser's cost; a session that never previews must
        // not pay it at start-up or for a tag copy.
#if QT_CONFIG(opengl)
        fixture->start();
        QVERIFY(!QOpenGLContext::globalShareContext());
        fixture->find<QToolButton>("SpeedButtonTagCopy")->click();
        QVERIFY(!QOpenGLContext::globalShareContext());
#else
        QSKIP("this Qt has no OpenGL at all");
#endif
    }

    void previewShowsTheSameTextAndCopyCloseCopiesIt() {
        TFormMain& main = fixture->start();
        uitest::TypeInto(fixture->find<TCellEdit>("Memo2Left"), QStringLiteral("付属品"));
        QApplication::clipboard()->setText(QStringLiteral("old"));
        QString shownText;
        bool copyCloseIsDefaultFocus = false;
        fixture->dialogs.modalScripts.push_back([&](QDialog& dialog) {
            auto& preview = static_cast<TFormPreview&>(dialog);
            shownText = preview.MemoHtml->toPlainText();
            copyCloseIsDefaultFocus = preview.ButtonCopyClose->isDefault();
            preview.ButtonCopyClose->click();
            return dialog.result();
        });
        fixture->find<QToolButton>("SpeedButtonPreview")->click();
        QCOMPARE(fixture->dialogs.modalShown, std::vector<QString>{"FormPreview"});
        const std::string expected = quorvel::BuildHtmlTags(main.Sheet());
        QCOMPARE(shownText,
                 ui::fromSjis(expected).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QVERIFY(copyCloseIsDefaultFocus);
        QCOMPARE(QApplication::clipboard()->text(), ui::fromSjis(expected));
        QVERIFY(main.StatusBar1->currentMessage() != QStringLiteral("コピー完了！"));
    }

    void failedTagCopyNeitherReportsSuccessNorLeavesOldText() {
        TFormMain& main = fixture->start();
        const QString path = QString::fromStdString(quorvel::PreviewFilePath().path);
        QFile::remove(path);
        QVERIFY(QDir().mkpath(path));  // a folder where the file should be
        QApplication::clipboard()->setText(QStringLiteral("stale tags"));
        fixture->find<QToolButton>("SpeedButtonTagCopy")->click();
        QDir().rmdir(path);
        QCOMPARE(int(fixture->dialogs.messages.size()), 2);
        QCOMPARE(fixture->dialogs.messages[0].text,
                 QStringLiteral("ファイル %1 を作成できません").arg(path));
        QCOMPARE(fixture->dialogs.messages[0].caption, QStringLiteral("プレビューデータ作成"));
        QCOMPARE(fixture->dialogs.messages[1].caption, QStringLiteral("プレビューデータ読み込み"));
        QVERIFY(QApplication::clipboard()->text().isEmpty());
        QVERIFY(main.StatusBar1->currentMessage() != QStringLiteral("コピー完了！"));
    }

    // Made when first asked for, once: its fonts are no part of the start-up.
    void helpOpensTheAboutBox() {
        TFormMain& main = fixture->start();
        QVERIFY(!main.findChild<QDialog*>(QStringLiteral("AboutForm")));
        for (int shown = 1; shown <= 2; ++shown) {
            fixture->dialogs.modalScripts.push_back(
                [](QDialog& dialog) { return dialog.result(); });
            fixture->find<QToolButton>("SpeedButtonHelp")->click();
            QCOMPARE(fixture->dialogs.modalShown.size(), std::size_t(shown));
            QCOMPARE(fixture->dialogs.modalShown.back(), QStringLiteral("AboutForm"));
        }
        QCOMPARE(main.findChildren<QDialog*>(QStringLiteral("AboutForm")).size(), 1);
    }

    void stayOnTopFollowsTheToggleWithoutMoving() {
        TFormMain& main = fixture->start();
        const QSize size = main.size();
        fixture->find<QToolButton>("SpeedButtonStayOnTop")->click();
        QVERIFY(main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(main.size(), size);
        fixture->find<QToolButton>("SpeedButtonStayOnTop")->click();
        QVERIFY(!main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(main.isVisible());
    }

  private:
    std::unique_ptr<MainWindowFixture> fixture;
};

QUORVEL_UI_TEST_MAIN(MainWindowTest)
#include "test_main_window.moc"

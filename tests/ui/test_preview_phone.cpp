#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <string>

#include "ScriptedDialogs.h"
#include "UiTestEnvironment.h"
#include "dialogs/Preview.h"
#include "dialogs/PreviewPhoneTab.h"
#include "sheet/HtmlGenerator.h"
#include "store/PreviewFile.h"
#include "ui/PreviewBrowser.h"

namespace {

constexpr int kLoadTimeoutMs = 30000;

struct Measured {
    QByteArray tags;
    int viewport = 0;
    int pageWidth = 0;
};

Measured Last(const QSignalSpy& spy) {
    const QList<QVariant> args = spy.last();
    return {args[0].toByteArray(), args[1].toInt(), args[2].toInt()};
}

}  // namespace

// The phone tab's figure comes from the real browser module laying the page out.
class TestPreviewPhone : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;

    // The tags of `sheet` in a file of the test's own folder.
    std::string writeSheet(const quorvel::TDescriptionSheet& sheet, const char* name) {
        const std::string file = dir_.filePath(name).toStdString();
        if (quorvel::WritePreviewFile(file, quorvel::BuildHtmlTags(sheet)))
            qFatal("cannot write the test page");
        return file;
    }

  private slots:
    void aLongUnbrokenLineRunsPastThePhoneAndAShortOneDoesNot() {
        if (!QUORVEL_HAVE_WEBVIEW) QSKIP("this build has no browser module to measure with");
        ScriptedDialogs scripted;
        TFormPreview form;
        QSignalSpy measures(&form, &TFormPreview::phoneWidthMeasured);

        quorvel::TDescriptionSheet wide;
        wide.Rows[0].Description.Text = "<B>" + std::string(600, 'x') + "</B>";
        form.setFilePath(writeSheet(wide, "wide.htm"));
        form.show();
        QVERIFY(form.TabSheet3->browser());
        QVERIFY(QTest::qWaitFor([&] { return measures.size() >= 1; }, kLoadTimeoutMs));
        Measured m = Last(measures);
        QCOMPARE(m.viewport, 375);
        QCOMPARE(m.tags.toStdString(), quorvel::BuildHtmlTags(wide));
        // 600 Latin letters in bold at 16 px are several thousand pixels, whatever the font.
        QVERIFY2(m.pageWidth > 3000, qPrintable(QString::number(m.pageWidth)));
        QCOMPARE(
            form.TabSheet3->LabelPhoneWidth->text(),
            QStringLiteral("横幅 %1 px（はみ出し %2 px）").arg(m.pageWidth).arg(m.pageWidth - 375));
        QCOMPARE(form.TabSheet3->browser()->widget()->width(), 375);

        // Another width measures again at that width; the view follows it.
        QSignalSpy chosen(&form, &TFormPreview::phoneWidthChosen);
        form.TabSheet3->ComboBoxPhoneWidth->setCurrentIndex(3);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().toInt(), 414);
        QVERIFY(QTest::qWaitFor([&] { return measures.size() >= 2; }, kLoadTimeoutMs));
        QCOMPARE(Last(measures).viewport, 414);
        QCOMPARE(Last(measures).pageWidth, m.pageWidth);
        QCOMPARE(form.TabSheet3->browser()->widget()->width(), 414);
        form.hide();

        // The same window on a sheet whose lines are short.
        quorvel::TDescriptionSheet narrow;
        narrow.Title.Text = "Camera";
        narrow.Rows[0].Item.Text = "Maker";
        narrow.Rows[0].Description.Text = "Quorvel\r\nX-10";
        form.setFilePath(writeSheet(narrow, "narrow.htm"));
        const int before = static_cast<int>(measures.size());
        form.show();
        QVERIFY(QTest::qWaitFor([&] { return measures.size() > before; }, kLoadTimeoutMs));
        m = Last(measures);
        QCOMPARE(m.viewport, 414);
        QCOMPARE(m.pageWidth, 414);
        QCOMPARE(m.tags.toStdString(), quorvel::BuildHtmlTags(narrow));
        QCOMPARE(form.TabSheet3->LabelPhoneWidth->text(), QStringLiteral("はみ出しなし"));
    }

    void theWidthIsMeasuredWhileTheTabIsNotShown() {
        if (!QUORVEL_HAVE_WEBVIEW) QSKIP("this build has no browser module to measure with");
        ScriptedDialogs scripted;
        TFormPreview form;
        form.PageControl1->setCurrentIndex(1);
        QSignalSpy measures(&form, &TFormPreview::phoneWidthMeasured);
        quorvel::TDescriptionSheet wide;
        wide.Note.Text = std::string(300, 'W');
        form.setFilePath(writeSheet(wide, "hidden.htm"));
        form.show();
        QVERIFY(QTest::qWaitFor([&] { return measures.size() >= 1; }, kLoadTimeoutMs));
        QVERIFY(Last(measures).pageWidth > 1500);
        QCOMPARE(form.PageControl1->currentIndex(), 1);
    }

    void onlyTheOfferedWidthsAreTaken() {
        TFormPreview form;
        QSignalSpy chosen(&form, &TFormPreview::phoneWidthChosen);
        form.SetPhoneWidth(400);
        QCOMPARE(form.PhoneWidth(), 375);
        form.SetPhoneWidth(360);
        QCOMPARE(form.PhoneWidth(), 360);
        QCOMPARE(form.TabSheet3->ComboBoxPhoneWidth->currentText(), QStringLiteral("360 px"));
        QCOMPARE(chosen.size(), 1);
    }
};

QUORVEL_UI_TEST_MAIN(TestPreviewPhone)
#include "test_preview_phone.moc"

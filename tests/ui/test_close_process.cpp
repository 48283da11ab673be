// A real editor closed as a desktop closes it while its pictures are being fetched and one is
// being decoded for good: the process ends within a second, and the next start shows its window.
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <cstring>

#include "../page/PictureServer.h"
#include "UiTestEnvironment.h"
#include "page/PagePictures.h"
#include "platform/FileKeyStore.h"
#include "platform/Sjis.h"
#include "store/DataFile.h"
#include "store/Settings.h"

#ifdef QUORVEL_HAVE_XCB
#include "X11Atoms.h"
#endif

using namespace picture_test;

namespace {

// A loaded machine may take long to start an editor; only a hung one reaches this.
constexpr int kCeilingMs = 60000;
// What the close is allowed.
constexpr int kCloseBoundMs = 1000;

#ifdef QUORVEL_HAVE_XCB

QByteArray property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection(), xcb_get_property(connection(), 0, window, name, type, 0, 1024), nullptr);
    QByteArray value;
    if (reply)
        value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    std::free(reply);
    return value;
}

// The process's main window once it is on the screen: a top-level window of that process,
// mapped, titled as the editor titles its window.
xcb_window_t shownMainWindow(qint64 pid) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection(), xcb_query_tree(connection(), root), nullptr);
    if (!tree) return XCB_WINDOW_NONE;
    xcb_window_t found = XCB_WINDOW_NONE;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
        const QByteArray owner = property(children[i], atomNamed("_NET_WM_PID"), XCB_ATOM_CARDINAL);
        if (owner.size() != 4 || *reinterpret_cast<const quint32*>(owner.constData()) != pid)
            continue;
        xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
            connection(), xcb_get_window_attributes(connection(), children[i]), nullptr);
        const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        const QString title = QString::fromUtf8(
            property(children[i], atomNamed("_NET_WM_NAME"), atomNamed("UTF8_STRING")));
        if (viewable && title.startsWith(QStringLiteral("Quorvel - "))) found = children[i];
    }
    std::free(tree);
    return found;
}

// What a window manager sends when the close box is used.
void askToClose(xcb_window_t window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atomNamed("WM_PROTOCOLS");
    event.data.data32[0] = atomNamed("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection(), 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection());
}
#endif

}  // namespace

class CloseProcessTest : public QObject {
    Q_OBJECT
  private slots:
    void closingEndsTheProcessWhateverThePicturesDoAndTheNextStartShows() {
#ifndef QUORVEL_HAVE_XCB
        QFAIL("built without xcb or xvfb-run: the close needs a real X server");
#else
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QFAIL("needs an X server: the test command runs this under xvfb-run");
        const Certificate certificate = MakeCertificate();
        QVERIFY2(certificate.error.isEmpty(), qPrintable(certificate.error));
        QTemporaryDir home;
        const QString authority = home.filePath(QStringLiteral("authority.pem"));
        QFile pem(authority);
        QVERIFY(pem.open(QIODevice::WriteOnly) && pem.write(certificate.certificate.toPem()) > 0);
        pem.close();

        // A picture in the title that comes at once (its decode is the one that stalls), and
        // pictures the server holds, so fetches are in flight at the close as well: fewer than
        // the six connections a host is given, so the first is not queued behind them.
        PictureServer server(&certificate);
        server.Route(QStringLiteral("/first.png"), {200, Png(40, 20, Qt::darkGreen), false});
        quorvel::TDescriptionSheet sheet;
        sheet.ResetSheet();
        const auto img = [&](const QString& path) {
            return quorvel::sjis::FromUtf8(
                       QStringLiteral("<IMG SRC=\"%1\">").arg(server.Url(path)).toStdString())
                .bytes;
        };
        sheet.Title.Text = img(QStringLiteral("/first.png"));
        for (int row = 1; row <= 4; ++row) {
            const QString path = QStringLiteral("/held%1.png").arg(row);
            server.Route(path, {200, Png(30, 30, Qt::red), true});
            sheet.CellByTag(quorvel::DescriptionTag(row)).Text = img(path);
        }
        const QString listing = home.filePath(QStringLiteral("pictures.qvl"));
        QVERIFY(!quorvel::SaveDataFile(sheet, QFile::encodeName(listing).toStdString()));

        // The live view is up from the start, so the page's pictures are asked for.
        quorvel::FileKeyStore store(
            std::string(), QFile::encodeName(home.filePath("config/Merrow")).toStdString());
        quorvel::SettingsSnapshot settings;
        settings.LiveView = quorvel::LiveViewSettings{true, false, 0, 0, 400, 400, 375};
        QVERIFY(quorvel::WriteSettings(store, settings));

        const QString decoding = home.filePath(QStringLiteral("decoding"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", home.filePath("run"));
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_STATE_HOME", home.filePath("state"));
        environment.insert("QUORVEL_RECOVERY_DIR", home.filePath("recovery"));
        environment.insert("TMPDIR", home.path());
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert(
            QString::fromLatin1(quorvel::page::PagePictures::kExtraAuthoritiesVariable), authority);
        environment.insert(QString::fromLatin1(quorvel::page::PagePictures::kStallDecodesVariable),
                           decoding);
        QDir().mkpath(home.filePath("run"));
        QFile::setPermissions(home.filePath("run"), QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner);

        QProcess editor, next;
        const auto ending = qScopeGuard([&] {
            for (QProcess* process : {&editor, &next}) {
                process->kill();
                process->waitForFinished(kCeilingMs);
            }
        });
        editor.setProcessEnvironment(environment);
        editor.setProcessChannelMode(QProcess::ForwardedChannels);
        editor.start(QStringLiteral(QUORVEL_EXE), {listing});
        QVERIFY(editor.waitForStarted(kCeilingMs));
        // The server answers on this thread's event loop.
        xcb_window_t window = XCB_WINDOW_NONE;
        const bool atWork = QTest::qWaitFor(
            [&] {
                if (!window) window = shownMainWindow(editor.processId());
                return editor.state() != QProcess::Running ||
                       (window && QFile::exists(decoding) && server.Held() > 0);
            },
            kCeilingMs);
        QVERIFY2(atWork, qPrintable(QStringLiteral("window %1, decoding %2, %3 held, %4 asked")
                                        .arg(window)
                                        .arg(QFile::exists(decoding))
                                        .arg(server.Held())
                                        .arg(server.Requests(QStringLiteral("/first.png")))));
        QCOMPARE(editor.state(), QProcess::Running);
        QCOMPARE(server.Requests(QStringLiteral("/first.png")), 1);

        askToClose(window);
        const bool ended = editor.waitForFinished(kCloseBoundMs);
        QVERIFY2(ended, "the editor was still running a second after its window was closed");
        QCOMPARE(editor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(editor.exitCode(), 0);

        // Nothing of the last one holds the next start back.
        environment.remove(QString::fromLatin1(quorvel::page::PagePictures::kStallDecodesVariable));
        next.setProcessEnvironment(environment);
        next.setProcessChannelMode(QProcess::ForwardedChannels);
        next.start(QStringLiteral(QUORVEL_EXE), {listing});
        QVERIFY(next.waitForStarted(kCeilingMs));
        xcb_window_t nextWindow = XCB_WINDOW_NONE;
        QVERIFY(QTest::qWaitFor(
            [&] {
                nextWindow = shownMainWindow(next.processId());
                return next.state() != QProcess::Running || nextWindow;
            },
            kCeilingMs));
        QVERIFY2(nextWindow, "the next start ended without a window");
        askToClose(nextWindow);
        server.Release();
        QVERIFY(next.waitForFinished(kCeilingMs));
        QCOMPARE(next.exitCode(), 0);
#endif
    }
};

QUORVEL_UI_DESKTOP_TEST_MAIN(CloseProcessTest)
#include "test_close_process.moc"

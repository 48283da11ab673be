#pragma once

// A picture server on the loopback address for the tests: HTTPS with a certificate made for the
// test by the openssl command, answers by path, and replies it holds until told.

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace picture_test {

struct Certificate {
    QSslCertificate certificate;
    QSslKey key;
    QString error;  // why there is none
};

inline Certificate Failed(const QString& why) {
    Certificate none;
    none.error = why;
    return none;
}

inline Certificate ReadCertificate(const QString& folder) {
    Certificate made;
    QFile cert(folder + QStringLiteral("/cert.pem"));
    QFile key(folder + QStringLiteral("/key.pem"));
    cert.open(QIODevice::ReadOnly);
    key.open(QIODevice::ReadOnly);
    made.certificate = QSslCertificate(cert.readAll(), QSsl::Pem);
    made.key = QSslKey(key.readAll(), QSsl::Rsa, QSsl::Pem);
    if (made.certificate.isNull() || made.key.isNull())
        made.error = QStringLiteral("openssl made a certificate Qt cannot read in ") + folder;
    return made;
}

// A self-signed certificate for 127.0.0.1, made now; under wine, where no openssl command runs,
// made by the test script and named by QUORVEL_TEST_CERT_DIR. RSA: wine's Schannel finds an
// elliptic-curve certificate's signature invalid.
inline Certificate MakeCertificate() {
    const QString made = qEnvironmentVariable("QUORVEL_TEST_CERT_DIR");
    if (!made.isEmpty()) return ReadCertificate(made);
    QTemporaryDir dir;
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                   dir.filePath(QStringLiteral("key.pem")), QStringLiteral("-out"),
                   dir.filePath(QStringLiteral("cert.pem")), QStringLiteral("-days"),
                   QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                   QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1")});
    if (!openssl.waitForStarted())
        return Failed(
            QStringLiteral("the openssl command is missing: install the openssl package"));
    openssl.waitForFinished();
    if (openssl.exitCode() != 0)
        return Failed(QStringLiteral("openssl failed: ") +
                      QString::fromLocal8Bit(openssl.readAllStandardError()));
    return ReadCertificate(dir.path());
}

inline QByteArray Png(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Turns the event loop until `done` holds; false if it never did within a generous guard.
inline bool WaitUntil(const std::function<bool()>& done, int guardMs = 60000) {
    QElapsedTimer guard;
    guard.start();
    while (!done()) {
        if (guard.hasExpired(guardMs)) return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

class PictureServer : public QTcpServer {
  public:
    struct Answer {
        int status = 200;
        QByteArray body;
        bool held = false;  // answered only on Release()
    };

    // `certificate` empty: plain HTTP. Under wine, whose Schannel cannot serve, the test script
    // puts a TLS front on the host (socat) before a fixed port, named by QUORVEL_TEST_TLS_FRONT
    // as "FRONT:BACK": the HTTPS server then answers in plain on BACK behind it.
    explicit PictureServer(const Certificate* certificate = nullptr) : certificate_(certificate) {
        const QStringList front = qEnvironmentVariable("QUORVEL_TEST_TLS_FRONT").split(u':');
        if (certificate_ && front.size() == 2) {
            frontPort_ = front[0].toUShort();
            // The last server's port may still be closing.
            WaitUntil([&] { return listen(QHostAddress::LocalHost, front[1].toUShort()); });
        } else {
            listen(QHostAddress::LocalHost);
        }
    }

    void Route(const QString& path, Answer answer) { answers_[path] = std::move(answer); }
    QString Url(const QString& path) const {
        return QStringLiteral("%1://127.0.0.1:%2%3")
            .arg(certificate_ ? QStringLiteral("https") : QStringLiteral("http"))
            .arg(frontPort_ ? frontPort_ : serverPort())
            .arg(path);
    }
    int Requests(const QString& path) const { return requests_.value(path); }
    int Connections() const { return connections_; }
    int Held() const { return static_cast<int>(held_.size()); }
    void Release() {
        const auto held = std::exchange(held_, {});
        for (const auto& [socket, path] : held)
            if (socket) answer(socket, answers_.value(path));
    }

  protected:
    void incomingConnection(qintptr descriptor) override {
        ++connections_;
        auto* socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        connect(socket, &QSslSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        if (certificate_ && !frontPort_) {
            socket->setLocalCertificate(certificate_->certificate);
            socket->setPrivateKey(certificate_->key);
            socket->startServerEncryption();
        }
    }

  private:
    void read(QSslSocket* socket) {
        QByteArray& buffer = buffers_[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0) return;
        const QList<QByteArray> words = buffer.left(buffer.indexOf("\r\n")).split(' ');
        buffer.remove(0, end + 4);
        const QString path = words.size() > 1 ? QString::fromLatin1(words[1]) : QString();
        ++requests_[path];
        const Answer found = answers_.value(path, Answer{404, "missing", false});
        if (found.held)
            held_.append({QPointer<QSslSocket>(socket), path});
        else
            answer(socket, found);
    }

    static void answer(QSslSocket* socket, const Answer& answer) {
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(answer.status) +
                           (answer.status == 200 ? " OK" : " Not Found") +
                           "\r\nContent-Type: image/png\r\nContent-Length: " +
                           QByteArray::number(answer.body.size()) +
                           "\r\nConnection: close\r\n\r\n" + answer.body;
        socket->write(reply);
        socket->disconnectFromHost();
    }

    const Certificate* certificate_;
    quint16 frontPort_ = 0;
    QHash<QString, Answer> answers_;
    QHash<QString, int> requests_;
    QHash<QSslSocket*, QByteArray> buffers_;
    QList<std::pair<QPointer<QSslSocket>, QString>> held_;
    int connections_ = 0;
};

}  // namespace picture_test

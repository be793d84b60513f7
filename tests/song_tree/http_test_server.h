#pragma once
// A small HTTP server on a loopback port for the song list download tests. It runs on
// the test's thread, so it answers while the test spins the event loop; each path has
// its answer, and the requests it received are kept for the test to look at.

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

class HttpTestServer : public QObject {
public:
    struct Answer {
        int status = 200;
        QByteArray body;
        bool announceLength = true;  // without it the body ends when the connection closes
        bool silent = false;         // reads the request and never answers
        QByteArray location;         // a Location header (redirects)
        QByteArray type = "text/xml";  // the Content-Type header
    };
    static Answer Body(int status, const QByteArray& body, bool announceLength = true)
    {
        Answer a;
        a.status = status;
        a.body = body;
        a.announceLength = announceLength;
        return a;
    }
    static Answer Silent()
    {
        Answer a;
        a.silent = true;
        return a;
    }
    static Answer Redirect(const QByteArray& location)
    {
        Answer a;
        a.status = 302;
        a.location = location;
        return a;
    }
    struct Request {
        QByteArray path;
        QByteArray head;  // the request line and headers as received
    };

    HttpTestServer()
    {
        (void)server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
                connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                    ++closed_;
                    socket->deleteLater();
                });
            }
        });
    }

    void Set(const QByteArray& path, const Answer& answer) { answers_[path] = answer; }
    [[nodiscard]] QString Url(const QByteArray& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(QString::fromLatin1(path));
    }
    [[nodiscard]] const QList<Request>& Requests() const { return requests_; }
    // Connections the other side has closed.
    [[nodiscard]] int Closed() const { return closed_; }

private:
    void Read(QTcpSocket* socket)
    {
        QByteArray& buffer = pending_[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0) return;
        Request request{buffer.split(' ').value(1), buffer.left(end)};
        pending_.remove(socket);
        requests_ << request;
        const Answer answer = answers_.value(request.path, Body(404, "not here"));
        if (answer.silent) return;
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(answer.status) + " Test\r\n";
        if (answer.announceLength) reply += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
        if (!answer.location.isEmpty()) reply += "Location: " + answer.location + "\r\n";
        reply += "Content-Type: " + answer.type + "\r\nConnection: close\r\n\r\n" + answer.body;
        socket->write(reply);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QByteArray, Answer> answers_;
    QHash<QTcpSocket*, QByteArray> pending_;
    QList<Request> requests_;
    int closed_ = 0;
};

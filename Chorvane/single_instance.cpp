#include "single_instance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {

// A request: the magic number, then the files. The answer: one byte.
constexpr quint32 kMagic = 0x43485631;  // "CHV1"
constexpr char kAnswer = '1';
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;
constexpr int kConnectMs = 1000;
// Two starts at the same moment: the second waits this long for the first to listen.
constexpr int kLockMs = 5000;

QString RuntimeFolder(const QString& given)
{
    if (!given.isEmpty()) return given;
    // $XDG_RUNTIME_DIR; without it Qt makes /tmp/runtime-<user> with mode 0700.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

}  // namespace

SingleInstance::SingleInstance(const QString& programFolder, const QString& runtimeFolder, QObject* parent)
    : QObject(parent)
{
    const QString folder = RuntimeFolder(runtimeFolder);
    if (folder.isEmpty() || !QDir(folder).exists()) {
        error_ = QStringLiteral("there is no runtime folder (XDG_RUNTIME_DIR)");
        return;
    }
    const QByteArray key = QDir::cleanPath(QDir(programFolder).absolutePath()).toUtf8();
    const QString hash = QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16));
    socketPath_ = QDir(folder).filePath(QStringLiteral("chorvane-") + hash);
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Start SingleInstance::Claim(const QStringList& files, int answerMs)
{
    if (socketPath_.isEmpty()) return Start::Alone;
    // Between "nobody answers" and "now I listen" no other start may look.
    QLockFile lock(socketPath_ + QStringLiteral(".lock"));
    (void)lock.tryLock(kLockMs);

    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (socket.waitForConnected(kConnectMs)) {
        QByteArray request;
        QDataStream out(&request, QIODevice::WriteOnly);
        out.setVersion(kStreamVersion);
        out << kMagic << files;
        socket.write(request);
        const QDeadlineTimer deadline(answerMs);
        while (socket.bytesAvailable() < 1 && socket.state() == QLocalSocket::ConnectedState &&
               !deadline.hasExpired())
            socket.waitForReadyRead(int(deadline.remainingTime()));
        char answer = 0;
        if (socket.bytesAvailable() >= 1 && socket.getChar(&answer) && answer == kAnswer) return Start::HandedOver;
        error_ = QStringLiteral("the running Chorvane did not answer");
        return Start::NoAnswer;
    }
    // Nobody answers on the socket: what is left of a program that died goes.
    QLocalServer::removeServer(socketPath_);
    if (!Listen()) return Start::Alone;
    return Start::First;
}

bool SingleInstance::Listen()
{
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath_)) {
        error_ = server_->errorString();
        server_.reset();
        return false;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) Serve(socket);
    });
    return true;
}

void SingleInstance::Serve(QLocalSocket* socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        QDataStream in(socket);
        in.setVersion(kStreamVersion);
        in.startTransaction();
        quint32 magic = 0;
        QStringList files;
        in >> magic >> files;
        if (!in.commitTransaction()) return;  // the rest is still on its way
        if (magic != kMagic) {
            socket->disconnectFromServer();
            return;
        }
        emit activationRequested(files);
        // Answered once the window is in front: the later start may end now.
        socket->putChar(kAnswer);
        socket->flush();
        socket->disconnectFromServer();
    });
}

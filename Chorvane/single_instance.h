#pragma once
// One running program per program folder. The first start listens on a local socket
// in the user's runtime folder; a later start with the same program folder hands its
// files to it over that socket (the running program brings its window to the front)
// and ends, so that two programs never write the same config.ini and history.dat.
// No widgets here: what "to the front" means is the caller's (activationRequested).

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QLocalServer;
class QLocalSocket;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Start {
        First,       // this is the only program: it now listens for later starts
        HandedOver,  // another program runs; it has the files and answered
        NoAnswer,    // another program runs but did not answer in time
        Alone,       // no socket could be made (no runtime folder): runs without the check
    };

    // `programFolder` names the instance; the socket lies in `runtimeFolder`, by
    // default $XDG_RUNTIME_DIR (Qt's runtime location when it is unset).
    explicit SingleInstance(const QString& programFolder, const QString& runtimeFolder = {},
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // Becomes the first program, or hands `files` to the one that runs. `answerMs`
    // bounds the wait for the running program's answer.
    [[nodiscard]] Start Claim(const QStringList& files, int answerMs = 10000);
    // The socket's path: <runtime folder>/chorvane-<hash of the program folder>.
    [[nodiscard]] const QString& SocketPath() const { return socketPath_; }
    // Why Claim answered Alone or NoAnswer.
    [[nodiscard]] const QString& error() const { return error_; }

signals:
    // A later start asked for the window (with the files it was given, maybe none).
    void activationRequested(const QStringList& files);

private:
    [[nodiscard]] bool Listen();
    void Serve(QLocalSocket* socket);

    QString socketPath_;
    QString error_;
    std::unique_ptr<QLocalServer> server_;
};

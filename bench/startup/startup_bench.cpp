// Time from process start to the first paint of the main window, against a minimal
// Qt window started the same way in the same run. Each is started 10 times, in turn;
// the figure is the median of the ten rounds' ratios, with their spread.
//     build/bin/startup_bench
#include "UnitMain.h"
#include "runs.h"
#include "message_box.h"
#include "program_windows.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>
#include <vector>

namespace {

// Prints "painted" and quits at the watched widget's first paint.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && !done_) {
            done_ = true;
            std::printf("painted\n");
            std::fflush(stdout);
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool done_ = false;
};

int Child(int argc, char** argv, bool program)
{
    QApplication app(argc, argv);
    FirstPaint watch;
    message_box::SetSink([](const QString&) {});
    if (program) {
        QTemporaryDir folder;
        ProgramWindows windows(nullptr, folder.path().toStdString());
        windows.frmMain().installEventFilter(&watch);
        windows.frmMain().show();
        return QApplication::exec();
    }
    QWidget window;
    window.resize(530, 453);
    window.installEventFilter(&watch);
    window.show();
    return QApplication::exec();
}

double StartOnce(const QString& self, const QString& mode)
{
    QProcess p;
    QElapsedTimer timer;
    timer.start();
    p.start(self, {mode});
    while (p.state() != QProcess::NotRunning || p.bytesAvailable()) {
        if (p.canReadLine() && p.readLine().startsWith("painted")) {
            const double ms = timer.nsecsElapsed() / 1e6;
            p.waitForFinished(5000);
            return ms;
        }
        p.waitForReadyRead(5);
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "--program") return Child(argc, argv, true);
    if (argc > 1 && std::string(argv[1]) == "--minimal") return Child(argc, argv, false);
    QCoreApplication app(argc, argv);
    if (!qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString self = QCoreApplication::applicationFilePath();
    std::vector<double> program, minimal, ratios;
    for (int i = 0; i < 10; ++i) {
        program.push_back(StartOnce(self, "--program"));
        minimal.push_back(StartOnce(self, "--minimal"));
        if (program.back() > 0 && minimal.back() > 0) ratios.push_back(program.back() / minimal.back());
    }
    const bench_support::RunSummary p = bench_support::Summarize(program), m = bench_support::Summarize(minimal);
    const bench_support::RunSummary r = bench_support::Summarize(ratios);
    std::printf("program %.1f ms, minimal Qt window %.1f ms (medians of 10)\n", p.median, m.median);
    std::printf("startup: first paint %.2fx a minimal Qt window (%s; goal <= 2)\n", r.median,
                bench_support::Describe(r, ratios.size()).c_str());
    return 0;
}

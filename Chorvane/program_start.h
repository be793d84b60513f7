#pragma once
// How the program was started, and what a later start asks of the running program:
// the command line (files to sing with, --sing, --exit-after-take) and bringing the
// main window to the front.
//
//   Chorvane [--sing] [--exit-after-take] [ACCOMPANIMENT] [LYRICS.lrc]

#include <QString>
#include <QStringList>

class TfrmMain;

struct StartOptions {
    // Absolute paths: an accompaniment and an LRC file (any order; either may be missing).
    QStringList files;
    // Starts the take once the main window is shown, as the sing button does.
    bool sing = false;
    // Closes the program when that take has been saved and listed (the close saves the history).
    bool exitAfterTake = false;
};

// Parses QCoreApplication::arguments(); --help, --version and unknown options print
// and end the program, as command-line programs do.
[[nodiscard]] StartOptions ParseStartOptions(const QStringList& arguments);

// Puts the files into the main window's fields, as the choosers do: the first file
// that is not an .lrc as the accompaniment, then the first .lrc as the lyrics.
void OpenFiles(TfrmMain& main, const QStringList& files);

// Applies the options once the main window has been shown.
void ApplyStartOptions(TfrmMain& main, const StartOptions& options);

// Another start asked for the window: its files go into the fields unless a take
// runs, and the window comes to the front (restored when minimised) and is activated.
void BringToFront(TfrmMain& main, const QStringList& files);

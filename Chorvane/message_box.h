#pragma once
// The program's message boxes. Tests replace the box by a sink that records the
// texts, so that a headless run never blocks on a modal dialog.

#include <QString>

#include <functional>
#include <stdexcept>

class QWidget;

namespace message_box {

// Shows the text in a message box with an OK button.
void Show(QWidget* parent, const QString& text);
// Replaces the box (nullptr restores it).
void SetSink(std::function<void(const QString&)> sink);

}  // namespace message_box

// An error raised in a handler: the handler ends and the general error handler shows
// the text to the user.
class ProgramError : public std::runtime_error {
public:
    explicit ProgramError(const QString& text) : std::runtime_error(text.toStdString()) {}
    [[nodiscard]] QString text() const { return QString::fromStdString(what()); }
};

// The general error handler: runs a handler and shows the text of any error it raises.
void RunHandler(QWidget* parent, const std::function<void()>& handler);

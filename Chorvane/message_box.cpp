#include "message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace message_box {
namespace {
std::function<void(const QString&)>& sink()
{
    static std::function<void(const QString&)> s;
    return s;
}
}  // namespace

void Show(QWidget* parent, const QString& text)
{
    if (sink()) {
        sink()(text);
        return;
    }
    QMessageBox::information(parent, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
}

void SetSink(std::function<void(const QString&)> s)
{
    sink() = std::move(s);
}

}  // namespace message_box

void RunHandler(QWidget* parent, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        message_box::Show(parent, QString::fromStdString(e.what()));
    }
}

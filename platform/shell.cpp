#include "shell.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace shell {

void Open(const std::string& addressOrPath)
{
    if (addressOrPath.empty()) return;
    // xdg-open hands the address to the desktop's default handler; the text goes to it
    // as one argument, never through a shell. A relative name that starts with "-"
    // would read as an option.
    QString target = QString::fromStdString(addressOrPath);
    if (target.startsWith(QLatin1Char('-'))) target.prepend(QStringLiteral("./"));
    QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

void Start(const std::string& program, const std::vector<std::string>& arguments)
{
    if (program.empty()) return;
    QStringList args;
    for (const std::string& a : arguments) args << QString::fromStdString(a);
    QProcess::startDetached(QString::fromStdString(program), args);
}

}  // namespace shell

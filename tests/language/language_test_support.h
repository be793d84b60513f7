#pragma once
// Helpers of the language tests: language files written for a test, and the shipped ones.

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <string>

namespace language_test {

// Writes `text` (UTF-8) as the file `name` in `dir`; returns its path.
inline std::string WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& text)
{
    const QString path = QDir(dir.path()).filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(text);
    return path.toStdString();
}

// The shipped language files, as they lie in the source tree.
inline std::string ShippedFile(const char* name)
{
    return std::string(CHORVANE_SOURCE_DIR) + "/Chorvane/language/" + name;
}

}  // namespace language_test

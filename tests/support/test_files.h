// Reading and writing whole files in tests, with Qt's file class (not the code under test).
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>
#include <string>

namespace vorlex::testing {

/// The bytes of a file; "<unreadable>" when it cannot be opened, so that no comparison with
/// expected contents passes by accident.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}
inline QByteArray readFile(const std::string& path) {
    return readFile(QString::fromStdString(path));
}
inline std::string readAll(const QString& path) {
    return readFile(path).toStdString();
}

/// Writes a file whole, replacing what was there; a failure fails the calling test.
inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}
inline void writeFile(const std::string& path, const QByteArray& bytes) {
    writeFile(QString::fromStdString(path), bytes);
}
inline void writeRaw(const QString& path, const std::string& bytes) {
    writeFile(path, QByteArray::fromStdString(bytes));
}

} // namespace vorlex::testing

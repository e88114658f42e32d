// Runs a built program as a user would: its own process, given settings, input on a pipe.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vorlex::testing {

/// How a run ended: the exit status (-1 for a crash) and what it wrote.
struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

/// Runs @p program with @p args and VORLEX_SETTINGS naming @p settings, writes @p input to its
/// standard input and closes it; @p environment adds NAME=VALUE pairs, an empty
/// @p workingFolder keeps the test's own.
inline CliRun runProgram(const QString& program, const QStringList& args, const QString& settings,
                         const QByteArray& input = {}, const QStringList& environment = {},
                         const QString& workingFolder = {}, int timeoutMs = 120000) {
    QProcess process;
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VORLEX_SETTINGS", settings);
    for (const QString& pair : environment)
        env.insert(pair.section('=', 0, 0), pair.section('=', 1));
    process.setProcessEnvironment(env);
    process.start(program, args);
    EXPECT_TRUE(process.waitForStarted()) << program.toStdString();
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(timeoutMs)) << args.join(' ').toStdString();
    CliRun result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

/// A test of a built program: a temporary folder, with the runs' settings file in it.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        settings_ = dir_.filePath("settings.ini");
    }
    [[nodiscard]] QString path(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
    QString settings_;
};

} // namespace vorlex::testing

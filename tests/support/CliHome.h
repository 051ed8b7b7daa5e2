#pragma once
// pellkit-cli run as a user runs it, in a home of its own: settings and
// per-user data in a scratch folder (XDG_CONFIG_HOME, XDG_DATA_HOME), so that
// no test reads or changes the user's, and an environment that names no
// language unless the test sets one.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace pellkit::test {

struct TCliRun {
    int exitCode = -1; // -1 when the program crashed
    QString out;
    QString err;
    QStringList Lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

class TCliHome {
public:
    TCliHome() { QDir(root_.path()).mkpath(QStringLiteral("config/Morvane")); }

    QString Path() const { return root_.path(); }
    QString FilePath(const QString& name) const { return root_.filePath(name); }

    // The settings file, holding these lines in its section [Vexa].
    bool Settings(const QString& vexaLines) const
    {
        QFile file(root_.filePath(QStringLiteral("config/Morvane/Pellkit.conf")));
        return file.open(QIODevice::WriteOnly) && file.write(("[Vexa]\n" + vexaLines).toUtf8()) >= 0;
    }

    TCliRun Run(const QStringList& args, const QString& program = QStringLiteral(PELLKIT_CLI_PATH)) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), root_.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), root_.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("LC_ALL"), locale);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, args);
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(-1);
        TCliRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    QString locale = QStringLiteral("C.UTF-8"); // LC_ALL
    QByteArray input;                            // standard input

private:
    QTemporaryDir root_;
};

} // namespace pellkit::test

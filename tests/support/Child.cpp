#include "support/Child.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <sys/resource.h>

QString childValue(const char* variable) {
    return qEnvironmentVariable(variable);
}

ChildEnd runInChild(const char* variable, const QString& value, const QString& test) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(variable), value);
    environment.insert(QStringLiteral("QT_FORCE_STDERR_LOGGING"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    QStringList arguments{QStringLiteral("-nocrashhandler"), test};
#ifdef POKO_EMULATOR
    // Cross-built, the suite runs under an emulator, which cannot start a program of the
    // target by itself.
    arguments.prepend(QCoreApplication::applicationFilePath());
    child.start(QStringLiteral(POKO_EMULATOR), arguments);
#else
    child.start(QCoreApplication::applicationFilePath(), arguments);
#endif
    ChildEnd end;
    if (!child.waitForFinished(60000)) {
        child.kill();
        child.waitForFinished();
        end.errors = QStringLiteral("the child did not end within a minute");
        end.exitCode = -1;
        return end;
    }
    end.crashed = child.exitStatus() == QProcess::CrashExit;
    end.exitCode = child.exitCode();
    end.output = QString::fromUtf8(child.readAllStandardOutput());
    end.errors = QString::fromUtf8(child.readAllStandardError());
    return end;
}

void expectToStop() {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    qInstallMessageHandler(nullptr);
}

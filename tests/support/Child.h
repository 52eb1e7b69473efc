#pragma once

#include <QString>

// A fault that stops the program (qFatal) is watched from outside: the suite starts itself
// again for one test (or one row of it), with an environment variable set; in that child the
// test does the faulty thing, and the parent reads how the child ended.
struct ChildEnd {
    bool crashed = false; // stopped by a signal, as qFatal's abort does
    int exitCode = 0;
    QString output;
    QString errors;
};

// In the child, the value it was started with; empty in the parent.
QString childValue(const char* variable);
// Runs this suite again for TEST only ("function" or "function:row"), with VARIABLE set to
// VALUE, and waits for it.
ChildEnd runInChild(const char* variable, const QString& value, const QString& test);
// For the child, before its faulty step: no core file, and Qt's own message on stderr.
void expectToStop();

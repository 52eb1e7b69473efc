#include "support/TestProgram.h"

#include "app/ProgramFolder.h"
#include "app/Screens.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

TestProgram::TestProgram() {
    navigation.add(menu);
    navigation.add(game);
    navigation.add(settings);
}

TestProgram& testProgram() {
    static TestProgram program;
    return program;
}

app::Screen& メニュー = testProgram().menu;
app::Screen& ゲーム = testProgram().game;
app::Screen& 設定 = testProgram().settings;

TestFolder::TestFolder(const QByteArray* settingsFile) {
    QDir(dir_.path()).mkpath(QStringLiteral("データ/音"));
    QDir(dir_.path()).mkpath(QStringLiteral("データ/絵"));
    if (settingsFile) {
        QFile file(settingsPath());
        if (file.open(QIODevice::WriteOnly))
            file.write(*settingsFile);
    }
    ProgramFolder = dir_.path();
}

QString TestFolder::settingsPath() const {
    return dir_.path() + QStringLiteral("/データ/設定.dat");
}

QByteArray TestFolder::settingsBytes() const {
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void resetProgram() {
    TestProgram& program = testProgram();
    for (app::Screen* screen : {&メニュー, &ゲーム, &設定})
        program.navigation.unload(*screen);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    program.players.clear();
    program.reporter.problems.clear();
    program.random.clearScript();
    program.quits = 0;
    program.navigation = app::Navigation([&program] { ++program.quits; });
    for (app::Screen* screen : {&メニュー, &ゲーム, &設定})
        program.navigation.add(*screen);
}

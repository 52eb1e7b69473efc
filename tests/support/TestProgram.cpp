#include "support/TestProgram.h"

#include "data/DataFolder.h"
#include "program/Screens.h"
#include "settings/Settings.h"
#include "support/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {
void addScreens(TestProgram& program) {
    program.navigation.add(program::メニュー, program.menu);
    program.navigation.add(program::ゲーム, program.game);
    program.navigation.add(program::設定, program.settings);
}
} // namespace

TestProgram::TestProgram() {
    addScreens(*this);
}

TestProgram& testProgram() {
    static TestProgram program;
    return program;
}

program::Screen& メニュー = testProgram().menu;
program::Screen& ゲーム = testProgram().game;
program::Screen& 設定 = testProgram().settings;

TestFolder::TestFolder(const QByteArray* settingsFile) {
    QDir(dir_.path()).mkpath(QStringLiteral("データ/音"));
    QDir(dir_.path()).mkpath(QStringLiteral("データ/絵"));
    // A failed write shows in the test as a missing settings file; say why here.
    if (settingsFile && !writeBytes(settingsPath(), *settingsFile))
        qWarning("cannot write %s", qPrintable(settingsPath()));
    testProgram().dataFolder = data::DataFolder::portable(dir_.path());
}

QString TestFolder::settingsPath() const {
    return dir_.path() + QStringLiteral("/データ/設定.dat");
}

QByteArray TestFolder::settingsBytes() const {
    return fileBytes(settingsPath());
}

void TestFolder::addRatingFigures() const {
    for (const char* name : {"からす.gif", "案山子.gif", "地蔵.gif"}) {
        const QString file = QString::fromUtf8(name);
        QFile::copy(QStringLiteral(POKO_DATA_DIR "/絵/") + file,
                    dir_.path() + QStringLiteral("/データ/絵/") + file);
    }
}

QByteArray settingsLine(int time, int speed, int size, int count) {
    const auto level = [](int value) { return static_cast<std::int16_t>(value); };
    return settings::format({level(time), level(speed), level(size), level(count)});
}

std::unique_ptr<TestFolder> showGameOn(const QByteArray& settingsFile) {
    auto folder = std::make_unique<TestFolder>(settingsFile);
    testProgram().navigation.show(testProgram().game);
    return folder;
}

void resetProgram() {
    TestProgram& program = testProgram();
    for (program::Screen* screen : {&メニュー, &ゲーム, &設定})
        program.navigation.unload(*screen);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    program.players.clear();
    program.reporter.problems.clear();
    program.random.clearScript();
    program.quits = 0;
    program.dataFolder = data::DataFolder::portable(program.dataFolder.programFolder());
    program.navigation = program::Navigation([&program] { ++program.quits; });
    addScreens(program);
}

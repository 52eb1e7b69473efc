// Prints where every control of the three screens is, as the program builds them, for the
// script tests to click by name: one line per control, "SCREEN NAME X Y W H" (tab-separated,
// client pixels of the screen's window; NAME is "Command1", or "Image13(5)" for an element of
// a control array; "HScroll1<" and "HScroll1>" for a slider's arrows; "window" for the
// client area itself). The game screen adds the
// nine hit targets at every size level, as "Image13(5)@2", placed by the screen's own Form_Load
// from a settings file of that level; a screen that stands on the board picture adds its
// nine holes, as "Hole(5)". Usage: places [FILE] (standard output without one).

#include "assets/PictureArt.h"
#include "data/DataFolder.h"
#include "forms/Clock.h"
#include "forms/Design.h"
#include "forms/FormBuilder.h"
#include "forms/Random.h"
#include "forms/Reporter.h"
#include "forms/TimerService.h"
#include "game/GameDesign.h"
#include "game/GameScreen.h"
#include "menu/MenuDesign.h"
#include "program/Navigation.h"
#include "program/Services.h"
#include "settings/Settings.h"
#include "settings/SettingsDesign.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <utility>

namespace {

class SilentPlayer final : public forms::WavePlayer {
public:
    void play(const QString&) override {}
    void setPlayCount(int) override {}
    void preload(const QString&) override {}
};

class SilentPlayers final : public forms::WavePlayerFactory {
public:
    std::unique_ptr<forms::WavePlayer> create() override {
        return std::make_unique<SilentPlayer>();
    }
};

class PrintingReporter final : public forms::Reporter {
public:
    void problem(const QString& message) override {
        std::fprintf(stderr, "places: %s\n", qPrintable(message));
    }
};

QString nameOf(const design::Control& control) {
    const QString name = QString::fromUtf8(control.name);
    return control.index == 0 ? name : QStringLiteral("%1(%2)").arg(name).arg(control.index);
}

void printPlace(QTextStream& out, const QString& screen, const QString& name,
                const QWidget& control, const QWidget& window) {
    const QPoint at = control.mapTo(&window, QPoint(0, 0));
    out << screen << '\t' << name << '\t' << at.x() << '\t' << at.y() << '\t' << control.width()
        << '\t' << control.height() << '\n';
}

// A slider's two arrows, as its style draws them: "HScroll1<" and "HScroll1>".
void printArrows(QTextStream& out, const QString& screen, const QString& name,
                 const QScrollBar& slider, const QWidget& window) {
    QStyleOptionSlider option;
    option.initFrom(&slider);
    option.subControls = QStyle::SC_All;
    option.orientation = slider.orientation();
    option.minimum = slider.minimum();
    option.maximum = slider.maximum();
    option.sliderPosition = slider.sliderPosition();
    option.sliderValue = slider.value();
    option.singleStep = slider.singleStep();
    option.pageStep = slider.pageStep();
    for (const auto& [arrow, mark] : {std::pair{QStyle::SC_ScrollBarSubLine, '<'},
                                      std::pair{QStyle::SC_ScrollBarAddLine, '>'}}) {
        const QRect rect =
            slider.style()->subControlRect(QStyle::CC_ScrollBar, &option, arrow, &slider);
        const QPoint at = slider.mapTo(&window, rect.topLeft());
        out << screen << '\t' << name << mark << '\t' << at.x() << '\t' << at.y() << '\t'
            << rect.width() << '\t' << rect.height() << '\n';
    }
}

// Every control with a place on the screen, where the built window has it.
void printScreen(QTextStream& out, const design::Screen& screen, forms::TimerService& timers,
                 forms::WavePlayerFactory& players) {
    const auto form = design::buildForm(screen, timers, players, [] {});
    const QString caption = QString::fromUtf8(screen.caption);
    printPlace(out, caption, QStringLiteral("window"), *form, *form);
    for (const design::Control& control : screen.controls) {
        if (control.kind == design::Kind::Timer || control.kind == design::Kind::Player)
            continue;
        if (const QWidget* widget =
                form->findControl(QString::fromUtf8(control.name), control.index)) {
            printPlace(out, caption, nameOf(control), *widget, *form);
            if (const auto* slider = qobject_cast<const QScrollBar*>(widget))
                printArrows(out, caption, nameOf(control), *slider, *form);
        }
    }
}

// The holes drawn on the board picture, for a screen that stands on it.
void printHoles(QTextStream& out, const design::Screen& screen) {
    if (screen.background != assets::Picture::Board)
        return;
    const QString caption = QString::fromUtf8(screen.caption);
    int hole = 0;
    for (const QPoint& corner : assets::art::BoardHoles)
        out << caption << '\t' << QStringLiteral("Hole(%1)").arg(++hole) << '\t' << corner.x()
            << '\t' << corner.y() << '\t' << assets::art::HoleWidth << '\t'
            << assets::art::HoleHeight << '\n';
}

// The hit targets as the game screen places them when it loads with each size level.
void printHitTargets(QTextStream& out, forms::TimerService& timers,
                     forms::WavePlayerFactory& players) {
    QTemporaryDir folder;
    QDir(folder.path()).mkpath(QStringLiteral("データ"));
    forms::SteadyClock clock;
    forms::ClockSeededRandom random{clock};
    PrintingReporter reporter;
    const data::DataFolder dataFolder = data::DataFolder::portable(folder.path());
    for (int size = 1; size <= 5; ++size) {
        QFile settings(folder.path() + QStringLiteral("/データ/設定.dat"));
        if (!settings.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("places: cannot write %s", qPrintable(settings.fileName()));
        settings.write(QStringLiteral("3,3,%1,3\r\n").arg(size).toLatin1());
        settings.close();

        program::Navigation navigation{[] {}};
        const program::Services services{clock,      random,     timers,  players,
                                         dataFolder, navigation, reporter};
        GameScreen game{services};
        navigation.add(program::ゲーム, game);
        navigation.show(program::ゲーム);
        if (SizeLevel != size)
            qFatal("places: the game screen read size %d, not %d", int(SizeLevel), size);
        const QString caption = QString::fromUtf8(design::gameScreen().caption);
        for (int hole = 1; hole <= 9; ++hole)
            printPlace(out, caption, QStringLiteral("Image13(%1)@%2").arg(hole).arg(size),
                       *game.form()->findControl(QStringLiteral("Image13"), hole), *game.form());
        navigation.endProgram();
    }
}

} // namespace

int main(int argc, char** argv) {
    // The screens are built off screen: no display is needed at build time.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QString text;
    QTextStream out(&text);
    forms::QtTimerService timers;
    SilentPlayers players;
    for (const design::Screen* screen :
         {&design::menuScreen(), &design::gameScreen(), &design::settingsScreen()}) {
        printScreen(out, *screen, timers, players);
        printHoles(out, *screen);
    }
    printHitTargets(out, timers, players);
    out.flush();

    if (argc < 2) {
        std::fputs(text.toUtf8().constData(), stdout);
        return 0;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0) {
        std::fprintf(stderr, "places: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

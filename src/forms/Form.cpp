#include "forms/Form.h"

#include "forms/Background.h"
#include "forms/PictureBox.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace forms {

Form::Form(const QString& caption, QSize clientSize, std::function<void()> afterEvent)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      afterEvent_(std::move(afterEvent)) {
    setWindowTitle(caption);
    setFixedSize(clientSize);
    setAttribute(Qt::WA_DeleteOnClose, false);
    // The toolkit's own right-click menus speak English in an all-Japanese game.
    setContextMenuPolicy(Qt::NoContextMenu);
}

Form::~Form() {
    shutDown();
}

void Form::setBackground(const QPixmap& picture) {
    background_ = picture;
    update();
}

void Form::setBackColour(const QColor& colour) {
    fillBackground(*this, colour);
}

void Form::dispatch(const std::function<void()>& handler) const {
    if (shutDown_)
        return; // a queued event of a form already unloaded
    // The handler may unload this form; keep what runs after it.
    const auto afterEvent = afterEvent_;
    handler();
    if (afterEvent)
        afterEvent();
}

QString Form::key(const QString& name, int index) {
    return name.toLower() + u'#' + QString::number(index);
}

void Form::registerControl(const QString& name, int index, QWidget* control) {
    control->setObjectName(index ? QStringLiteral("%1(%2)").arg(name).arg(index) : name);
    controls_.insert(key(name, index), control);
    control->setContextMenuPolicy(Qt::NoContextMenu);
}

QWidget* Form::findControl(const QString& name, int index) const {
    return controls_.value(key(name, index));
}

void Form::missing(const char* kind, const QString& name, int index) const {
    const QString what = index ? QStringLiteral("%1(%2)").arg(name).arg(index) : name;
    qFatal("form %s has no %s named %s", qUtf8Printable(windowTitle()), kind, qUtf8Printable(what));
}

Timer& Form::addTimer(const QString& name, int index, TimerService& service) {
    auto timer = std::make_unique<Timer>(service, [this, k = key(name, index)] {
        if (const auto handler = timerHandlers_.value(k))
            dispatch(handler);
    });
    Timer& added = *timer;
    timers_.push_back(std::move(timer));
    timerIndex_.insert(key(name, index), &added);
    return added;
}

void Form::onTimer(const QString& name, int index, std::function<void()> handler) {
    if (!timerIndex_.contains(key(name, index)))
        missing("timer", name, index);
    timerHandlers_.insert(key(name, index), std::move(handler));
}

void Form::onClick(const QString& name, int index, std::function<void()> handler) {
    QWidget* target = findControl(name, index);
    auto* picture = qobject_cast<PictureBox*>(target);
    auto* button = qobject_cast<QAbstractButton*>(target);
    if (!picture && !button)
        missing("picture or button", name, index);
    // Qt leaves the keyboard focus on a button hidden while no other control could take it
    // (スタート hides all three board buttons), and Space or Enter still clicks it: a hidden
    // control's click, by mouse or by key, reaches no handler.
    auto run = [this, target, handler = std::move(handler)] {
        if (target->isVisibleTo(this))
            dispatch(handler);
    };
    if (picture)
        connect(picture, &PictureBox::clicked, this, run);
    else
        connect(button, &QAbstractButton::clicked, this, run);
}

Timer& Form::timer(const QString& name, int index) const {
    Timer* found = timerIndex_.value(key(name, index));
    if (!found)
        missing("timer", name, index);
    return *found;
}

ControlArray<Timer> Form::timerArray(const QString& name) const {
    std::vector<Timer*> elements;
    for (int index = 1; Timer* found = timerIndex_.value(key(name, index)); ++index)
        elements.push_back(found);
    if (elements.empty())
        missing("timer", name, 1);
    return ControlArray<Timer>(std::move(elements));
}

WavePlayer& Form::addPlayer(const QString& name, std::unique_ptr<WavePlayer> player) {
    WavePlayer& added = *player;
    players_.push_back(std::move(player));
    playerIndex_.insert(key(name, 0), &added);
    return added;
}

WavePlayer& Form::player(const QString& name) const {
    WavePlayer* found = playerIndex_.value(key(name, 0));
    if (!found)
        missing("player", name, 0);
    return *found;
}

void Form::shutDown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    for (auto& timer : timers_)
        timer->setInterval(0);
    players_.clear(); // a player's sound ends with it
    hide();
}

void Form::showCentred() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
}

void Form::paintEvent(QPaintEvent*) {
    if (background_.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
}

void Form::closeEvent(QCloseEvent* event) {
    if (shutDown_ || !onClosedByFrame_) {
        event->accept();
        return;
    }
    // The screen decides: closing by the frame unloads it (and with it, the window).
    event->ignore();
    dispatch(onClosedByFrame_);
}

} // namespace forms

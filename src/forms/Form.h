#pragma once

#include "forms/ControlArray.h"
#include "forms/Timer.h"
#include "forms/WavePlayer.h"

#include <QHash>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace forms {

// A screen's window: a fixed client area with a caption, an icon and a background, and
// the registry of its named controls. Every event of the form (clicks, timer ticks,
// closing by the frame) runs through dispatch(), which lets the owner look at the program
// after each handler.
class Form final : public QWidget {
    Q_OBJECT
public:
    Form(const QString& caption, QSize clientSize, std::function<void()> afterEvent);
    ~Form() override;

    void setBackground(const QPixmap& picture);
    void setBackColour(const QColor& colour);
    void setOnClosedByFrame(std::function<void()> handler) {
        onClosedByFrame_ = std::move(handler);
    }

    // Runs one event handler, then the after-event check.
    void dispatch(const std::function<void()>& handler) const;

    // Controls are registered by name and index (0 for a control that is not in an array);
    // names compare without regard to case. A registered control that is hidden, itself or
    // through its frame, never acts: no click of it, by mouse or by key, reaches its handler.
    void registerControl(const QString& name, int index, QWidget* control);
    // Null when the form has no such control; the lookups below do not return at all then.
    QWidget* findControl(const QString& name, int index = 0) const;

    // Every lookup by name below stops the program at once, naming the form and the name,
    // when the form has nothing of that name and kind: a misspelt name in a screen's code
    // is a fault of the program, in every build, never a silent null or an empty array.
    template <class T> T& control(const QString& name, int index = 0) const {
        auto* found = qobject_cast<T*>(findControl(name, index));
        if (!found)
            missing(T::staticMetaObject.className(), name, index);
        return *found;
    }
    // Elements 1, 2, ... up to the first index the form lacks; there must be an element 1.
    template <class T> ControlArray<T> controlArray(const QString& name) const {
        std::vector<T*> elements;
        for (int index = 1; auto* found = qobject_cast<T*>(findControl(name, index)); ++index)
            elements.push_back(found);
        if (elements.empty())
            missing(T::staticMetaObject.className(), name, 1);
        return ControlArray<T>(std::move(elements));
    }

    // Timers and players belong to the form and die with it.
    Timer& addTimer(const QString& name, int index, TimerService& service);
    void onTimer(const QString& name, int index, std::function<void()> handler);
    // Wires a picture's or a button's Click to a handler.
    void onClick(const QString& name, int index, std::function<void()> handler);
    Timer& timer(const QString& name, int index = 0) const;
    ControlArray<Timer> timerArray(const QString& name) const;
    WavePlayer& addPlayer(const QString& name, std::unique_ptr<WavePlayer> player);
    WavePlayer& player(const QString& name) const;

    // Stops every timer and every sound: the first step of unloading.
    void shutDown();

    void showCentred();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    static QString key(const QString& name, int index);
    [[noreturn]] void missing(const char* kind, const QString& name, int index) const;

    std::function<void()> afterEvent_;
    std::function<void()> onClosedByFrame_;
    QPixmap background_;
    QHash<QString, QWidget*> controls_;
    QHash<QString, Timer*> timerIndex_;
    QHash<QString, std::function<void()>> timerHandlers_;
    QHash<QString, WavePlayer*> playerIndex_;
    std::vector<std::unique_ptr<Timer>> timers_;
    std::vector<std::unique_ptr<WavePlayer>> players_;
    bool shutDown_ = false;
};

} // namespace forms

#include "program/Termination.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace program {

namespace {

int wakeUp[2] = {-1, -1}; // [0] read by the event loop, [1] written by the signal handler

void onSignal(int) {
    const char byte = 1;
    // write() is safe in a signal handler; a full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t written = ::write(wakeUp[1], &byte, 1);
}

} // namespace

void quitOnTerminationSignal() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakeUp) != 0)
        return; // the default action stays: SIGTERM still ends the program
    auto* notifier = new QSocketNotifier(wakeUp[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char byte = 0;
        while (::read(wakeUp[0], &byte, 1) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
}

} // namespace program

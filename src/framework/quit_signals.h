#pragma once

#include <QObject>
#include <functional>

// Turns the quit signals a desktop session or a terminal sends (SIGTERM, SIGHUP, SIGINT) into a
// call on the user-interface thread, made from its event loop. The signal handler only writes a
// byte to a pipe, the one thing it may safely do; a socket notifier on the other end of the pipe
// wakes the event loop. Where there are no such signals this does nothing (a console control
// handler could post the same call there). One instance at a time; the default handlers come
// back when it goes.
class QuitSignals final : public QObject {
    Q_OBJECT

public:
    explicit QuitSignals(std::function<void()> onQuit);
    ~QuitSignals() override;

    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

private:
    void Drain();

    std::function<void()> onQuit_;
};

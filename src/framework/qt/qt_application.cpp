#include <QApplication>
#include <QMetaObject>
#include <memory>
#include <utility>

#include "framework/gui_application.h"
#include "framework/ui_thread.h"

struct GuiApplication::Impl {
    QApplication application;
    Impl(int& argc, char** argv) : application(argc, argv) {}
};

GuiApplication::GuiApplication(int& argc, char** argv)
    : impl_(std::make_unique<Impl>(argc, argv)) {}

GuiApplication::~GuiApplication() = default;

void PostToUiThread(std::function<void()> task) {
    // Queued to the application object, which lives on the user-interface thread.
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
}

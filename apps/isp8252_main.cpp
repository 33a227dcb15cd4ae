// isp8252: the programmer, driving a real cable on the first parallel port.
#include <QApplication>

#include "app/programmer_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return RunProgrammer();
}

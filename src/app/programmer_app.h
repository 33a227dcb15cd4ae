#pragma once

// The application object: runs the main window modally and ends the process when it closes.
class CProgrammerApp {
public:
    CProgrammerApp() = default;
    // Returns false: the process ends as soon as the main window has closed.
    bool InitInstance();
};

// The program's start-up: the two images, then the shared timer (which starts its 5000 ms
// calibration), then the application object, whose initialisation runs the main window.
// A GuiApplication must exist. Returns the process's exit status.
int RunProgrammer();

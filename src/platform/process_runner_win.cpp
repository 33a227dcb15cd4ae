// Starting the converter on Windows: CreateProcessW with the program named on its own and a
// command line quoted so the program's C run-time splits it back into the same arguments.
#include <windows.h>

#include "platform/command_line.h"
#include "platform/file_names.h"
#include "platform/process_runner.h"

std::optional<int> RunHiddenAndWait(const std::string& program,
                                    const std::vector<std::string>& arguments) {
    const std::wstring application = PathFromUtf8(program).native();
    // CreateProcessW may write into the command-line buffer, so it is a copy of our own.
    std::wstring commandLine = PathFromUtf8(BuildCommandLine(program, arguments)).native();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    // The program is named separately, so a blank in its path cannot start another program,
    // and it is never looked up on the search path.
    if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        return std::nullopt;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}

#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "framework/message_box_types.h"

class Dialog;

#if defined(_WIN32) && defined(MessageBox)
#undef MessageBox  // windows.h maps the name to its ANSI or wide function
#endif

// Everything that asks the user something in a window of its own: message boxes and the file
// choosers. The program goes through Ui(); tests install a scripted seam instead.
class UiSeam {
public:
    virtual ~UiSeam() = default;

    // A modal box over `owner` with this text and caption and the buttons of `type` (MB_OK or
    // MB_OKCANCEL, OK the default); returns IDOK_ANSWER or IDCANCEL_ANSWER.
    virtual int MessageBox(Dialog* owner, std::string_view text, std::string_view caption,
                           unsigned type) = 0;

    // The open-file chooser with a filter "Name|*.ext|Name2|*.ext2||", first entry selected. The
    // file need not exist: a typed name is returned as it is. Nothing when the user cancels.
    virtual std::optional<std::string> OpenFileName(Dialog* owner, std::string_view filter) = 0;

    // The save-file chooser: asks before overwriting, and appends the default extension to a
    // typed name that has none. Nothing when the user cancels.
    virtual std::optional<std::string> SaveFileName(Dialog* owner,
                                                    std::string_view defaultExtension,
                                                    std::string_view filter) = 0;
};

// The seam in use.
UiSeam& Ui();

// The backend's real seam: its own message boxes and the platform's file choosers.
UiSeam& PlatformUiSeam();

// Installs a seam (not owned); nullptr puts the real one back.
void SetUiSeam(UiSeam* seam);

#pragma once

#include "framework/ui_seam.h"

// The seam the program runs with: QMessageBox and Qt's own file dialog (the same dialog on every
// platform, so "the file need not exist" and the overwrite question behave alike everywhere).
class QtUiSeam final : public UiSeam {
public:
    int MessageBox(Dialog* owner, std::string_view text, std::string_view caption,
                   unsigned type) override;
    std::optional<std::string> OpenFileName(Dialog* owner, std::string_view filter) override;
    std::optional<std::string> SaveFileName(Dialog* owner, std::string_view defaultExtension,
                                            std::string_view filter) override;
};

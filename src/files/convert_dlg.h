#pragma once

#include "framework/dialog.h"

// The "CONVERTING FILE..." notice (template 132), shown while the converter runs. The program
// blocks in the wait without pumping messages, so the notice is painted before the wait begins.
class CConvertDlg final : public Dialog {
public:
    explicit CConvertDlg(Dialog* parent = nullptr);
};

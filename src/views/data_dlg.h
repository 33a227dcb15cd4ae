#pragma once

#include "framework/dialog.h"

// A modeless list of one image (template 130), one "%X         %X" line per byte: kind 0 the
// file image, kind 1 the device image. A snapshot taken when it opens; CLOSE, Escape and the
// close box hide it.
class CDataDlg final : public Dialog {
public:
    explicit CDataDlg(int viewKind, Dialog* parent = nullptr);

    int viewKind;

protected:
    bool OnInitDialog() override;
};

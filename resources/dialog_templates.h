#pragma once

#include "framework/dialog_template.h"

// The program's dialog templates: 102 main window, 129 operation dialog, 130 contents viewer,
// 132 conversion notice. Any other id is a programming error and aborts.
const DialogTemplate& DialogTemplateById(int id);

#pragma once

#include <QFont>

struct DialogTemplate;

// The template's font at its point size. Where the face is missing the font database picks a
// substitute, and the dialog's units follow whatever it picked.
QFont DialogFont(const DialogTemplate& dialogTemplate);

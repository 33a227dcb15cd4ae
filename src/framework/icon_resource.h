#pragma once

#include <QIcon>

// An icon compiled into the program by resource id (IDR_MAINFRAME, 128); a null icon for an id
// that has none.
QIcon LoadIconResource(int id);

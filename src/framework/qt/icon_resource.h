#pragma once

#include <QIcon>

// An icon compiled into the program by resource id (":/isp8252/icon<id>.xpm"); a null icon for an
// id that has none.
QIcon LoadIconResource(int id);

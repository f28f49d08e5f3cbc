// The program's icon (resource 128 of the original), drawn in code so it
// needs no image plug-in and stays sharp at every size the desktop asks for.
#pragma once

#include <QIcon>

QIcon AppIcon();

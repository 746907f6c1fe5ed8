#pragma once

#include <QCursor>

// The pointing hand shown over a paper: the program's own 32 x 32 picture with its hot
// spot on the finger tip at (6, 0), or the desktop's hand when the picture is missing.
QCursor HandCursor();

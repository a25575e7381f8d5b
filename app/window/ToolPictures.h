#pragma once
// The pictures of the shell's flat tool buttons, drawn in code at 16 by 16
// pixels.

#include <QIcon>

QIcon SavePicture();
QIcon PrintPicture();
QIcon CopyPicture();
// The main window's tool bar.
QIcon OpenPicture();
QIcon BackPicture();
QIcon ForwardPicture();
QIcon ReloadPicture();

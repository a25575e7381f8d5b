#pragma once
// The program's own picture, drawn in code: a blue globe with its meridians
// and a yellow "Z", on a transparent background. Shown by the splash window,
// the about box and as the windows' icon.

#include <QImage>

QImage ProgramPicture(int size);

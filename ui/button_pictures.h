// The 32 x 32 pictures of the window's command buttons, drawn at run time on
// a transparent background. Each shows an object that suits its command.
#pragma once

#include <QPixmap>

enum class ButtonPicture {
  Magnifier,    // quick search
  Drive,        // full search
  StopSign,     // stop
  Sheet,        // open
  Diskette,     // copy
  CompactDisc,  // move
  Folder,       // go to folder
  WasteBin,     // delete
};

constexpr int kButtonPictureSize = 32;

// A fresh 32 x 32 picture with an alpha channel; pixels outside the drawn
// object are fully transparent.
QPixmap DrawButtonPicture(ButtonPicture picture);

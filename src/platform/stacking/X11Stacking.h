#pragma once

#include "WindowStacking.h"

// Window-manager hints: the stacking priority as X11 properties. Questions,
// sheets and banners carry Qt's stays-on-top flag and need nothing more.
class X11Stacking : public WindowStacking
{
public:
    void place(QWidget* window, Place where) override;
};

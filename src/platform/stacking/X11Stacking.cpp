#include "X11Stacking.h"

#include "XlibUtils.h"

void X11Stacking::place(QWidget* window, Place where)
{
    switch (where) {
    case Normal:
        XlibUtils::setWindowPriority(XlibUtils::Normal, window);
        break;
    case AboveAll:
        XlibUtils::setWindowPriority(XlibUtils::AboveAll, window);
        break;
    case Banner:
    case Question:
    case Sheet:
        break;
    }
}

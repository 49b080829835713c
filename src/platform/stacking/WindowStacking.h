#pragma once

class QWidget;

// Where a top-level window sits among the other programs' windows. One
// implementation per display system, picked from the Qt platform in use;
// callers never learn which one runs.
class WindowStacking
{
public:
    enum Place {
        // An ordinary window that other programs may cover.
        Normal,
        // Above every window, with the keyboard to itself.
        AboveAll,
        // A strip across the top of the screen that never takes the keyboard.
        Banner,
        // A system question, centred above every window while it waits for
        // the answer (it waits itself while the PIN page is up).
        Question,
        // A full-screen system question (a provisioning sheet).
        Sheet,
    };

    // Settings the toolkit reads once, before the application object exists.
    static void prepareEnvironment();
    static WindowStacking& instance();

    virtual ~WindowStacking() = default;
    // Call before show() and again whenever the place changes; a shown window
    // keeps its contents.
    virtual void place(QWidget* window, Place where) = 0;
};

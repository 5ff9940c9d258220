#pragma once

#include <functional>

class QWidget;

// A request to end the program from outside it: the desktop session ending,
// `kill`, or Ctrl+C in the terminal it was started from (SIGTERM, SIGHUP,
// SIGINT). The request is carried into the event loop and handed to the
// handler there, so it never interrupts a rename half-way: a run in progress
// finishes first, and the program then closes as if its window were closed,
// storing what it stores on every close.
class SessionEnd {
public:
    // Installs the handler. Only one is ever installed; call from the main thread.
    static void install(std::function<void()> handler);
    // Whether a request has arrived since install().
    static bool requested();

    // The usual answer to a request: closes every open modal box or dialog as
    // its close button would (a question answers Cancel, so nothing it asks
    // about is done), then mainWindow, if it is shown, which stores its
    // settings on the way out. A main window not yet shown is left alone, so
    // that an unfinished start-up never overwrites what is stored.
    static void closeWindows(QWidget& mainWindow);
};

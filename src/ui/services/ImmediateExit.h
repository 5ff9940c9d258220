#pragma once

#include "ui/services/Replaceable.h"

// Ends the program at once, without the window's closing steps, so that
// nothing (the open folder included) is stored: the answer to an error the
// program cannot go on from. Tests put a recorder in place of the real end.
class ImmediateExitService : public ReplaceableService<ImmediateExitService> {
public:
    virtual void exit() = 0;
    static ImmediateExitService& real();
};

void exitImmediately();

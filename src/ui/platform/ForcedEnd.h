#pragma once

// Ends the program at once, without the window's closing steps, so that
// nothing (the open folder included) is stored. Tests put a recorder in place
// of the real end.
class ForcedEndService {
public:
    virtual ~ForcedEndService() = default;
    virtual void end() = 0;
};

ForcedEndService& forcedEndService();
void setForcedEndService(ForcedEndService* service);  // nullptr: the real one

void forcedEnd();

#include "ui/services/ImmediateExit.h"

#include <cstdlib>

namespace {

class ProcessExit : public ImmediateExitService {
public:
    [[noreturn]] void exit() override { std::_Exit(EXIT_FAILURE); }
};

}  // namespace

ImmediateExitService& ImmediateExitService::real() {
    static ProcessExit service;
    return service;
}

void exitImmediately() {
    ImmediateExitService::current().exit();
}

#include "ui/platform/ForcedEnd.h"

#include <cstdlib>

namespace {

class ProcessEnd : public ForcedEndService {
public:
    [[noreturn]] void end() override { std::_Exit(EXIT_FAILURE); }
};

ForcedEndService* g_service = nullptr;

}  // namespace

ForcedEndService& forcedEndService() {
    static ProcessEnd real;
    return g_service ? *g_service : real;
}

void setForcedEndService(ForcedEndService* service) {
    g_service = service;
}

void forcedEnd() {
    forcedEndService().end();
}

#include "cli/StopSignal.h"

#include "cli/PlatformFiles.h"

#include <csignal>

namespace
{

volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal)
{
    if (stopSignal != 0)
    {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    stopSignal = signal;
}

} // namespace

void InstallStopHandlers()
{
    InstallStopHandler(OnStopSignal);
}

int StopSignal()
{
    return stopSignal;
}

int StopStatus(int signal)
{
    return 128 + signal;
}

const char* StopSignalName(int signal)
{
    return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "a signal";
}

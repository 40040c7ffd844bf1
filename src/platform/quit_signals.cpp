#include "platform/quit_signals.h"

#include <signal.h>

#include <cstdlib>
#include <initializer_list>

namespace {

volatile sig_atomic_t quitRequested = 0;

void RequestQuit(int)
{
    quitRequested = 1;
}

}  // namespace

void InstallQuitSignals()
{
    struct sigaction action = {};
    action.sa_handler = RequestQuit;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no restart: a console prompt waiting for input wakes up
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

bool QuitRequested()
{
    return quitRequested != 0;
}

void QuitIfRequested()
{
    if (quitRequested)
        exit(0);  // as Quit does
}

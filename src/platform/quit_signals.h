#pragma once

// SIGINT, SIGTERM and SIGHUP end the viewer the way Quit does. The handler
// only marks the request; the frame loop and the console prompts act on it.
void InstallQuitSignals();
bool QuitRequested();
// Quits when a signal asked for it.
void QuitIfRequested();

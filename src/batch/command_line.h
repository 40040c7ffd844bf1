#pragma once

// The program's command line: "--list PATH" lists models, "--help" tells
// the usage, "--version" the version; anything else starts the viewer on
// the models named.
int RunCommandLine(int argc, char** argv);

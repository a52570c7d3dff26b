// What the shell asks of the host system outside the window and the sound:
// where the program's file is, and its console. Kept apart from Platform.h
// so that the Windows half may include the system's own headers.
#pragma once

// The full path of the running program, "" when the system cannot tell.
const char *PlatProgramPath();

// Started on a console of its own (from the desktop rather than a terminal),
// the program lets it go, so that only the demo shows. Nothing elsewhere.
void PlatLeaveOwnConsole();

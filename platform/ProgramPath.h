// Where the running program's file is, for the Data folder beside it. Kept
// apart from Platform.h so that its Windows half may include the system's
// own headers.
#pragma once

// The full path of the running program, "" when the system cannot tell.
const char *PlatProgramPath();

#pragma once

// SIGINT and SIGTERM ask brisbleep-render to stop: the render in progress ends at its next block,
// its temporary files are removed, the files already finished stay, and the exit status is 128 plus
// the signal number. A second signal while stopping ends the process at once.

// Installs the handlers (without SA_RESTART, so that a wait for a FIFO's reader is interrupted).
void InstallStopHandlers();
// The signal that asked to stop, or 0.
int StopSignal();
// The exit status for a stop by `signal`: 130 for SIGINT, 143 for SIGTERM.
int StopStatus(int signal);
// "SIGINT" or "SIGTERM".
const char* StopSignalName(int signal);

#pragma once

#include "protocol.h"

// The instrumented game's side of the protocol. Events are gathered in memory and sent in batches,
// so that recording costs the loop next to nothing; a key callback is sent at once, so that the
// harness knows the key arrived before it sends the next one.

// Reads the pace and the pipe from the environment; ends the process on an unknown pace.
void startRecording();
Pacing chosenPacing();
void recordEvent(EventKind kind);

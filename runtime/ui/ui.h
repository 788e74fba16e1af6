#pragma once
// Starting and stopping the windowing runtime. Every other operation of runtime/ui needs it
// started (the text routines excepted).

// Nonzero on success (zero when no display can be opened).
int startUi(int argc, char** argv);
// Closes every window and ends the toolkit.
void stopUi();

#pragma once

// SIGTERM (a desktop session closing, a plain `kill`) ends the game the way its own end
// does: the event loop stops, every screen unloads, and the status is 0. The signal only
// wakes the event loop; the program ends between handlers, never in the middle of one.
namespace program {

void quitOnTerminationSignal();

} // namespace program

// The rows of the event player's replay table for every filter code: each reads the packet's
// layer and cells, binds the window's flow image to the layer and calls the replay entry with
// the recorded values in the entry's own argument order, undo off. "protect" arguments take the
// layer's transparency protection at replay for recordings of version 2.07 or later, else false.
#pragma once

// Registers the rows (start-up, tools that replay, tests); a later call registers them again.
void installFilterReplayEntries();

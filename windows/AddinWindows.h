#pragma once

// Puts the add-in's real windows into the window seams (schedule/
// WindowSeams.h), in place of the do-nothing ones. The module factory calls
// it when the engine creates the add-in; tests that build the add-in
// themselves keep their recorders. Calling it again changes nothing.
void InstallAddinWindows();

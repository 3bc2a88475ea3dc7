#pragma once

namespace kestrane {

// The program: checks for a display and a running copy, builds the model and the overlay,
// runs the launch switches and the event loop, and shuts down in order. Returns the exit
// status.
int runApplication(int argc, char** argv);

} // namespace kestrane

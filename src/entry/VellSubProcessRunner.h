#pragma once

class VellBootstrap;

// Runs this executable as a runtime sub-process (started with --type=); in
// practice the process ends inside with the runtime's exit code.
VellBootstrap* RunCefSubProcess(int argc, char** argv);

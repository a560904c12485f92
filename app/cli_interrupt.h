#pragma once
// Ctrl-C during a long command (update, import): the first asks the command to stop at the
// next point it can, so it ends cleanly and exits with cli::kExitInterrupted; a second one
// ends the program at once, as Ctrl-C does elsewhere.
class InterruptRequest {
  public:
    InterruptRequest();   // catches SIGINT from now on
    ~InterruptRequest();  // gives SIGINT back to what handled it before
    InterruptRequest(const InterruptRequest&) = delete;
    InterruptRequest& operator=(const InterruptRequest&) = delete;

    // Whether Ctrl-C was pressed since this object was made.
    static bool requested();
};

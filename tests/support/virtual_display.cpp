#include "virtual_display.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

VirtualDisplay::VirtualDisplay() {
    int ready[2];
    if (pipe(ready) != 0) {
        throw std::runtime_error("cannot make a pipe for Xvfb");
    }
    server_ = fork();
    if (server_ == 0) {
        // A test that dies without its destructors (Xlib ends the process on an X error) takes
        // its server along, instead of leaving it to hold the test runner's output open.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(ready[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        const std::string fd = std::to_string(ready[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    // Xvfb writes the display number once it accepts connections.
    std::string number;
    char c = 0;
    while (read(ready[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(ready[0]);
    if (number.empty()) {
        throw std::runtime_error("Xvfb did not start: is the xvfb package installed?");
    }
    name_ = ":" + number;
}

VirtualDisplay::~VirtualDisplay() {
    if (server_ > 0) {
        kill(server_, SIGTERM);
        waitpid(server_, nullptr, 0);
    }
}

#pragma once

#include <sys/types.h>

#include <string>

// A real X server of the test's own (Xvfb, 1280x1024, 24-bit), on a display number it picks
// itself so that tests never collide with each other or with a desktop. Stopped on destruction.
class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // The display's name, as for DISPLAY: ":N".
    const std::string& name() const { return name_; }

private:
    pid_t server_ = -1;
    std::string name_;
};

#include <windows.h>

#include "app/platform.h"

void detachConsole() { FreeConsole(); }

void requireDisplay(int /*argc*/, char** /*argv*/) {}

void prepareRenderer() {}

bool waitForInput(std::chrono::nanoseconds timeout) {
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(timeout).count();
    return MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms), QS_ALLINPUT) == WAIT_OBJECT_0;
}

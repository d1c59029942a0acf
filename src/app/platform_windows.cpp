#include <windows.h>

#include <cstdint>

#include "app/platform.h"

void detachConsole() { FreeConsole(); }

void requireDisplay(int /*argc*/, char** /*argv*/) {}

void prepareRenderer() {}

// The screen's DPI as Windows tells a program that its manifest declares aware of it (an unaware one
// is told 96, and its window enlarged as a bitmap, blurred): the system's, which Windows gives the
// primary monitor, where the window opens. Windows before 10's version 1607, which has no
// GetDpiForSystem, has it as the screen's.
double screenScale() {
    using DpiForSystem = UINT(WINAPI*)();
    UINT dpi = 0;
    if (const auto forSystem = reinterpret_cast<DpiForSystem>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32"), "GetDpiForSystem")))) {
        dpi = forSystem();
    } else {
        HDC screen = GetDC(nullptr);
        dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi / 96.0 : 1;
}

bool waitForInput(std::chrono::nanoseconds timeout) {
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(timeout).count();
    return MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms), QS_ALLINPUT) == WAIT_OBJECT_0;
}

void requestPacedSwaps() {
    using SwapInterval = BOOL(WINAPI*)(int);
    if (const auto setInterval = reinterpret_cast<SwapInterval>(
            reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT")))) {
        setInterval(1);
    }
}

// In 100-nanosecond units.
std::chrono::nanoseconds processorTime() {
    FILETIME created{}, ended{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    const auto units = [](FILETIME t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32U) | t.dwLowDateTime;
    };
    return std::chrono::nanoseconds(100 * static_cast<std::int64_t>(units(kernel) + units(user)));
}

#pragma once
// LeakSanitizer's default suppressions for an executable of ours built with
// VELL_SANITIZE: allocations that Qt's platform plugins and the system
// libraries beneath them keep until the process exits, none of them ours.
// Include it in exactly one source file of an executable (the one with main).
//  - libqoffscreen / QPlatformScreen / handleScreenAdded: the offscreen
//    platform's screens, never destroyed.
//  - libdbus-1: the message buffers of Qt's D-Bus thread (xcb platform).
//  - libGLX_mesa: Mesa's GL driver, loaded by the xcb platform for a native
//    window.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libqoffscreen.so\n"
         "leak:QPlatformScreen::QPlatformScreen\n"
         "leak:QWindowSystemInterface::handleScreenAdded\n"
         "leak:libdbus-1.so\n"
         "leak:libGLX_mesa.so\n";
}

#if defined(__SANITIZE_ADDRESS__)
// Keeps every library loaded until the process exits, in sanitizer builds
// only: Qt unloads its plugins (and the libraries they brought) at exit,
// before LeakSanitizer looks, and a leak whose frames lie in an unloaded
// library has no name, so it could be neither read nor suppressed by name.
// The executable's definition takes the place of the C library's for every
// library the process loads.
extern "C" int dlclose(void*) { return 0; }
#endif

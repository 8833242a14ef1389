#pragma once
// LeakSanitizer's default suppressions for an executable of ours built with
// VELL_SANITIZE: allocations that Qt's platform plugins and the system
// libraries beneath them keep until the process exits, none of them ours.
// Include it in exactly one source file of an executable (the one with main).
//  - libqoffscreen / QPlatformScreen / handleScreenAdded: the offscreen
//    platform's screens, never destroyed.
//  - libdbus-1: the message buffers of Qt's D-Bus thread (xcb platform).
//  - libGLX_mesa: Mesa's GL driver, loaded by the xcb platform for a native
//    window; the driver module is unloaded by exit, so its own frames have no
//    name and only the GLX frame below them can match.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libqoffscreen.so\n"
         "leak:QPlatformScreen::QPlatformScreen\n"
         "leak:QWindowSystemInterface::handleScreenAdded\n"
         "leak:libdbus-1.so\n"
         "leak:libGLX_mesa.so\n";
}

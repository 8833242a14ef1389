#pragma once

#include <cstdint>

class QWindow;

// The few operating-system calls the framework names after their Windows
// forms, with their Linux equivalents.
class VellPlatform {
 public:
  VellPlatform() = delete;

  // Per-monitor DPI is the toolkit's business on Linux: nothing to do.
  static void SetProcessDPIAware() {}
  // The parent's process id from the process table (/proc); 0 when unknown.
  static int64_t GetParentProcessId();
  // False once the process has ended (gone from the table, or a zombie).
  static bool IsProcessAlive(int64_t pid);
  // The Qt window of a browser's native window handle (QWindow::fromWinId on
  // Windows; here the runtime's surface window of that browser).
  static QWindow* WindowFromBrowserHandle(unsigned long handle);
  // Milliseconds on the monotonic clock, wrapping at 2^32; never 0.
  static uint32_t GetTickCount();
};

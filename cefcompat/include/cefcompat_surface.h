#pragma once
// The runtime's one addition to CEF's API: on this runtime a browser's
// native window handle names a Qt surface window of the embedding process.

class QWindow;

namespace cefcompat {

// The surface window of a browser by its GetWindowHandle(); null when there
// is none (closed, or not a browser's handle). Qt thread.
QWindow* SurfaceForHandle(unsigned long handle);

}  // namespace cefcompat

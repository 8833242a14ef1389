#include "testing_hooks.h"

#include "browser_impl.h"
#include "transport.h"

namespace cefcompat {

int LiveBrowsersForTesting() { return LiveCount<BrowserImpl>::Get(); }

int LiveTransportsForTesting() { return LiveCount<PipeTransport>::Get(); }

}  // namespace cefcompat

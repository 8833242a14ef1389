#include "testing_hooks.h"

#include "browser_impl.h"
#include "in_process_link.h"
#include "transport.h"

namespace cefcompat {

int LiveBrowsersForTesting() { return LiveCount<BrowserImpl>::Get(); }

int LiveTransportsForTesting() { return LiveCount<PipeTransport>::Get() + LiveCount<InProcessLink>::Get(); }

}  // namespace cefcompat

#include "testing_hooks.h"

#include "browser/browser_impl.h"
#include "network/resource_job.h"
#include "protocol/in_process_link.h"
#include "protocol/transport.h"

namespace cefcompat {

void SetResourceHandlerTimeoutForTesting(int ms) { ResourceJob::SetTimeoutMs(ms); }

int LiveBrowsersForTesting() { return LiveCount<BrowserImpl>::Get(); }

int LiveTransportsForTesting() { return LiveCount<PipeTransport>::Get() + LiveCount<InProcessLink>::Get(); }

}  // namespace cefcompat

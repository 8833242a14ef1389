#include "download/download_item_impl.h"

namespace cefcompat {

int DownloadItemImpl::GetPercentComplete() {
  if (!valid_ || snapshot_.totalBytes <= 0) return -1;
  if (snapshot_.complete) return 100;
  return static_cast<int>(snapshot_.receivedBytes * 100 / snapshot_.totalBytes);
}

}  // namespace cefcompat

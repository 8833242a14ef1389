#pragma once

#include <functional>
#include <string>
#include <vector>

namespace cefcompat {

// The file a download ends as. A temporary file beside it (hidden, in the
// same folder) is made when the download is continued, which proves the
// folder writable; once every part has arrived the parts are put into it
// and it is renamed over the final name: the file is whole or not there.
//
// Threads: made, reserved and discarded on TID_UI; Assemble does its work on
// TID_FILE_BACKGROUND and answers on TID_UI.
class DownloadTarget {
 public:
  // Makes the temporary file for `path` (and `path`'s folder when missing).
  // False, with the reason, when that cannot be done.
  bool Reserve(const std::string& path, std::string& error);
  bool IsReserved() const { return !temporary_.empty(); }
  const std::string& Path() const { return path_; }
  // Fills the temporary file with `parts`, in order, renames it to Path()
  // and removes the parts; `done("")` then, or `done(reason)` with nothing
  // left behind. Once only.
  void Assemble(std::vector<std::string> parts, std::function<void(const std::string& error)> done);
  // Removes the temporary file and `parts`.
  void Discard(const std::vector<std::string>& parts);

 private:
  std::string path_;
  std::string temporary_;
};

}  // namespace cefcompat

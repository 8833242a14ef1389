#include "platform/VellPlatform.h"

#include <chrono>
#include <fstream>
#include <string>

#include "include/cefcompat_surface.h"

namespace {

// The state letter and parent id of a process, from /proc/<pid>/stat.
bool ReadStat(const std::string& pid, char& state, int64_t& parent) {
  std::ifstream stat("/proc/" + pid + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const auto close = text.rfind(')');  // the command name may hold spaces and parentheses
  if (close == std::string::npos || close + 4 >= text.size()) return false;
  state = text[close + 2];
  parent = std::stoll(text.substr(close + 4));
  return true;
}

}  // namespace

int64_t VellPlatform::GetParentProcessId() {
  char state = 0;
  int64_t parent = 0;
  return ReadStat("self", state, parent) ? parent : 0;
}

bool VellPlatform::IsProcessAlive(int64_t pid) {
  char state = 0;
  int64_t parent = 0;
  if (pid <= 0 || !ReadStat(std::to_string(pid), state, parent)) return false;
  return state != 'Z' && state != 'X';
}

uint32_t VellPlatform::GetTickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  const auto ticks = static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  return ticks == 0 ? 1 : ticks;  // 0 means "no tick" to the callers
}

QWindow* VellPlatform::WindowFromBrowserHandle(unsigned long handle) { return cefcompat::SurfaceForHandle(handle); }

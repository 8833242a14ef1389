#include "x_key_latency.h"

#include <chrono>
#include <thread>

#include "view_pages.h"
#include "x_screen.h"

namespace {

constexpr char kKey[] = "a";

}  // namespace

std::vector<double> XKeyLatency::Measure(int samples, int warmUp) {
  int x = 0, y = 0, width = 0, height = 0;
  std::vector<double> times;
  if (!screen_.Geometry(window_, x, y, width, height)) return times;
  screen_.WatchDamage(window_);
  for (int press = 0; press < warmUp + samples; ++press) {
    const double ms = Once(width / 2, height / 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(KeyPauseMs(press)));
    if (press < warmUp) continue;
    if (ms < 0) {
      ++missed_;
    } else {
      times.push_back(ms);
    }
  }
  return times;
}

double XKeyLatency::Once(int x, int y) {
  const int shown = KeyColourIndex(screen_.Pixel(window_, x, y));
  const int wanted = shown == 0 ? 1 : 0;
  const auto pressed = std::chrono::steady_clock::now();
  screen_.Key(kKey, true);
  const bool changed = screen_.WaitForPixel(
      window_, x, y, [wanted](unsigned int rgb) { return KeyColourIndex(rgb) == wanted; }, kKeyChangeTimeoutMs);
  const auto seen = std::chrono::steady_clock::now();
  screen_.Key(kKey, false);
  return changed ? std::chrono::duration<double, std::milli>(seen - pressed).count() : -1;
}

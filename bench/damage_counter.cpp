#include "damage_counter.h"

#include <poll.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

namespace {

// Reports closer together than this are pieces of one presentation.
constexpr auto kOneFrame = std::chrono::milliseconds(4);
constexpr int kStopCheckMs = 50;

}  // namespace

DamageCounter::~DamageCounter() { Stop(); }

bool DamageCounter::Start(unsigned long window) {
  Stop();
  display_ = XOpenDisplay(nullptr);
  if (!display_) return false;
  int errorBase = 0;
  if (!XDamageQueryExtension(display_, &damageEventBase_, &errorBase)) {
    XCloseDisplay(display_);
    display_ = nullptr;
    return false;
  }
  reports_.clear();
  stopping_ = false;
  thread_ = std::thread([this, window] { Loop(window); });
  return true;
}

void DamageCounter::Loop(unsigned long window) {
  const Damage damage = XDamageCreate(display_, window, XDamageReportNonEmpty);
  XFlush(display_);
  pollfd wake{ConnectionNumber(display_), POLLIN, 0};
  while (!stopping_) {
    if (!XPending(display_)) {
      poll(&wake, 1, kStopCheckMs);
      continue;
    }
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type != damageEventBase_ + XDamageNotify) continue;
    reports_.push_back(std::chrono::steady_clock::now());
    // Subtracting re-arms the report for the next change.
    XDamageSubtract(display_, damage, None, None);
    XFlush(display_);
  }
  XDamageDestroy(display_, damage);
}

DamageCounter::Counts DamageCounter::Stop() {
  if (!display_) return {};
  stopping_ = true;
  thread_.join();
  XCloseDisplay(display_);
  display_ = nullptr;
  Counts counts;
  counts.reports = static_cast<int>(reports_.size());
  for (size_t i = 0; i < reports_.size(); ++i) {
    if (i == 0 || reports_[i] - reports_[i - 1] > kOneFrame) ++counts.frames;
  }
  return counts;
}

#pragma once
// C++ wrappers of the runtime's C structures, as CEF declares them: a
// CefStructBase<Traits> is the structure itself (its members are used
// directly) and owns the strings it holds: copies are deep, and the strings
// are freed with the object.

#include "include/internal/cef_types.h"

template <class traits>
class CefStructBase : public traits::struct_type {
 public:
  typedef typename traits::struct_type struct_type;

  CefStructBase() { Init(); }
  virtual ~CefStructBase() { traits::clear(this); }
  CefStructBase(const CefStructBase& r) : struct_type() {
    Init();
    *this = r;
  }
  CefStructBase(const struct_type& r) {
    Init();
    *this = r;
  }

  // Empties every member and frees the strings.
  void Reset() {
    traits::clear(this);
    Init();
  }
  // Copies the members of `source`; with `copy` false the strings refer to
  // those of `source`, which must outlive this object.
  void Set(const struct_type& source, bool copy) { traits::set(&source, this, copy); }

  CefStructBase& operator=(const CefStructBase& from) { return operator=(static_cast<const struct_type&>(from)); }
  CefStructBase& operator=(const struct_type& from) {
    Set(from, true);
    return *this;
  }

 protected:
  void Init() {
    static_cast<struct_type&>(*this) = struct_type();
    traits::init(this);
  }
};

struct CefSettingsTraits {
  typedef cef_settings_t struct_type;
  static void init(struct_type* s) { s->size = sizeof(struct_type); }
  static void clear(struct_type* s);
  static void set(const struct_type* src, struct_type* target, bool copy);
};
typedef CefStructBase<CefSettingsTraits> CefSettings;

struct CefBrowserSettingsTraits {
  typedef cef_browser_settings_t struct_type;
  static void init(struct_type* s) { s->size = sizeof(struct_type); }
  static void clear(struct_type* s);
  static void set(const struct_type* src, struct_type* target, bool copy);
};
typedef CefStructBase<CefBrowserSettingsTraits> CefBrowserSettings;

struct CefRequestContextSettingsTraits {
  typedef cef_request_context_settings_t struct_type;
  static void init(struct_type* s) { s->size = sizeof(struct_type); }
  static void clear(struct_type* s);
  static void set(const struct_type* src, struct_type* target, bool copy);
};
typedef CefStructBase<CefRequestContextSettingsTraits> CefRequestContextSettings;

struct CefWindowInfoTraits {
  typedef cef_window_info_t struct_type;
  static void init(struct_type*) {}
  static void clear(struct_type* s);
  static void set(const struct_type* src, struct_type* target, bool copy);
};

struct CefMainArgsTraits {
  typedef cef_main_args_t struct_type;
  static void init(struct_type*) {}
  static void clear(struct_type*) {}
  static void set(const struct_type* src, struct_type* target, bool) { *target = *src; }
};

struct CefTimeTraits {
  typedef cef_time_t struct_type;
  static void init(struct_type*) {}
  static void clear(struct_type*) {}
  static void set(const struct_type* src, struct_type* target, bool) { *target = *src; }
};

// A cef_time_t with its conversions.
class CefTime : public CefStructBase<CefTimeTraits> {
 public:
  typedef CefStructBase<CefTimeTraits> parent;
  CefTime() = default;
  CefTime(const cef_time_t& r) : parent(r) {}  // implicit, as in CEF
  explicit CefTime(time_t r) { SetTimeT(r); }

  void SetTimeT(time_t r) { cef_time_from_timet(r, this); }
  time_t GetTimeT() const {
    time_t time = 0;
    cef_time_to_timet(this, &time);
    return time;
  }
  void SetDoubleT(double r) { cef_time_from_doublet(r, this); }
  double GetDoubleT() const {
    double time = 0;
    cef_time_to_doublet(this, &time);
    return time;
  }
  void Now() { cef_time_now(this); }
  long long Delta(const CefTime& other) {
    long long delta = 0;
    cef_time_delta(this, &other, &delta);
    return delta;
  }
};

struct CefCookieTraits {
  typedef cef_cookie_t struct_type;
  static void init(struct_type*) {}
  static void clear(struct_type* s);
  static void set(const struct_type* src, struct_type* target, bool copy);
};
typedef CefStructBase<CefCookieTraits> CefCookie;

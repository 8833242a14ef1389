// Deep copies and frees of the strings inside the runtime's C structures.
#include "include/internal/cef_linux.h"

namespace {

constexpr cef_string_t cef_settings_t::*kSettingsStrings[] = {
    &cef_settings_t::browser_subprocess_path, &cef_settings_t::framework_dir_path,
    &cef_settings_t::main_bundle_path,        &cef_settings_t::cache_path,
    &cef_settings_t::root_cache_path,         &cef_settings_t::user_data_path,
    &cef_settings_t::user_agent,              &cef_settings_t::product_version,
    &cef_settings_t::locale,                  &cef_settings_t::log_file,
    &cef_settings_t::javascript_flags,        &cef_settings_t::resources_dir_path,
    &cef_settings_t::locales_dir_path,        &cef_settings_t::accept_language_list,
    &cef_settings_t::application_client_id_for_file_scanning,
};

constexpr cef_string_t cef_browser_settings_t::*kBrowserStrings[] = {
    &cef_browser_settings_t::standard_font_family, &cef_browser_settings_t::fixed_font_family,
    &cef_browser_settings_t::serif_font_family,    &cef_browser_settings_t::sans_serif_font_family,
    &cef_browser_settings_t::cursive_font_family,  &cef_browser_settings_t::fantasy_font_family,
    &cef_browser_settings_t::default_encoding,     &cef_browser_settings_t::accept_language_list,
};

constexpr cef_string_t cef_request_context_settings_t::*kRequestContextStrings[] = {
    &cef_request_context_settings_t::cache_path, &cef_request_context_settings_t::accept_language_list};

constexpr cef_string_t cef_window_info_t::*kWindowStrings[] = {&cef_window_info_t::window_name};

constexpr cef_string_t cef_cookie_t::*kCookieStrings[] = {&cef_cookie_t::name, &cef_cookie_t::value,
                                                         &cef_cookie_t::domain, &cef_cookie_t::path};

template <class Struct, size_t N>
void ClearStrings(Struct* s, cef_string_t Struct::*const (&members)[N]) {
  for (auto member : members) cef_string_clear(&(s->*member));
}

// Every member of `src` into `target`; each string a copy of its own (or, with
// `copy` false, a reference to src's characters).
template <class Struct, size_t N>
void SetStrings(const Struct* src, Struct* target, bool copy, cef_string_t Struct::*const (&members)[N]) {
  if (src == target) return;
  ClearStrings(target, members);
  *target = *src;
  for (auto member : members) {
    target->*member = cef_string_t{nullptr, 0, nullptr};
    cef_string_set((src->*member).str, (src->*member).length, &(target->*member), copy);
  }
}

}  // namespace

void CefSettingsTraits::clear(struct_type* s) { ClearStrings(s, kSettingsStrings); }

void CefSettingsTraits::set(const struct_type* src, struct_type* target, bool copy) {
  SetStrings(src, target, copy, kSettingsStrings);
}

void CefBrowserSettingsTraits::clear(struct_type* s) { ClearStrings(s, kBrowserStrings); }

void CefBrowserSettingsTraits::set(const struct_type* src, struct_type* target, bool copy) {
  SetStrings(src, target, copy, kBrowserStrings);
}

void CefRequestContextSettingsTraits::clear(struct_type* s) { ClearStrings(s, kRequestContextStrings); }

void CefRequestContextSettingsTraits::set(const struct_type* src, struct_type* target, bool copy) {
  SetStrings(src, target, copy, kRequestContextStrings);
}

void CefWindowInfoTraits::clear(struct_type* s) { ClearStrings(s, kWindowStrings); }

void CefWindowInfoTraits::set(const struct_type* src, struct_type* target, bool copy) {
  SetStrings(src, target, copy, kWindowStrings);
}

void CefCookieTraits::clear(struct_type* s) { ClearStrings(s, kCookieStrings); }

void CefCookieTraits::set(const struct_type* src, struct_type* target, bool copy) {
  SetStrings(src, target, copy, kCookieStrings);
}

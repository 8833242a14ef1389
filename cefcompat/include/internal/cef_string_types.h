#pragma once
// CEF's C string type: UTF-16 characters, a length and the function that frees
// them. A structure whose `dtor` is null does not own its characters.

#include <cstddef>

using char16 = char16_t;

typedef struct _cef_string_utf16_t {
  char16* str;
  size_t length;
  void (*dtor)(char16* str);
} cef_string_utf16_t;

typedef cef_string_utf16_t cef_string_t;
typedef cef_string_utf16_t* cef_string_userfree_utf16_t;
typedef cef_string_userfree_utf16_t cef_string_userfree_t;

// Sets `output` to `src_len` characters of `src`: a copy owned by `output` when
// `copy` is non-zero, else a reference to `src`. What `output` owned before is
// freed. Returns 1 (0 when `output` is null).
int cef_string_utf16_set(const char16* src, size_t src_len, cef_string_utf16_t* output, int copy);
// Frees what `str` owns and empties it.
void cef_string_utf16_clear(cef_string_utf16_t* str);
int cef_string_utf16_cmp(const cef_string_utf16_t* str1, const cef_string_utf16_t* str2);
// UTF-8 or ASCII input, converted into a copy owned by `output`; malformed
// sequences become U+FFFD.
int cef_string_utf8_to_utf16(const char* src, size_t src_len, cef_string_utf16_t* output);
int cef_string_ascii_to_utf16(const char* src, size_t src_len, cef_string_utf16_t* output);
// A string allocated for a caller that frees it with cef_string_userfree_free.
cef_string_userfree_utf16_t cef_string_userfree_utf16_alloc();
void cef_string_userfree_utf16_free(cef_string_userfree_utf16_t str);

#define cef_string_set cef_string_utf16_set
#define cef_string_clear cef_string_utf16_clear
#define cef_string_cmp cef_string_utf16_cmp
#define cef_string_from_utf8 cef_string_utf8_to_utf16
#define cef_string_from_ascii cef_string_ascii_to_utf16
#define cef_string_userfree_alloc cef_string_userfree_utf16_alloc
#define cef_string_userfree_free cef_string_userfree_utf16_free

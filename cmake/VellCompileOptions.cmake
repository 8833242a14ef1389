# Warning, sanitizer and source-path settings shared by every target of the project.
add_library(vell_compile_options INTERFACE)
add_library(Vell::compile_options ALIAS vell_compile_options)

target_compile_options(vell_compile_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
  # Error records carry the source path: keep it relative to the project root.
  "-fmacro-prefix-map=${PROJECT_SOURCE_DIR}/="
  $<$<BOOL:${VELL_WERROR}>:-Werror>)

if(VELL_SANITIZE)
  target_compile_options(vell_compile_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
    # Optimised a little, as sanitizers are usually run: a Debug build's
    # calls are several times slower under them, too slow for the soak run.
    -O1
    # GCC 12 reports false maybe-uninitialized warnings in library headers under ASan.
    -Wno-maybe-uninitialized)
  target_link_options(vell_compile_options INTERFACE -fsanitize=address,undefined)
endif()

# Fuzz targets and everything they reach: coverage for libFuzzer, with
# AddressSanitizer and UndefinedBehaviorSanitizer ending the run at a finding.
if(VELL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VELL_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++-14")
  endif()
  target_compile_options(vell_compile_options INTERFACE
    -fsanitize=address,undefined,fuzzer-no-link -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(vell_compile_options INTERFACE -fsanitize=address,undefined)
endif()

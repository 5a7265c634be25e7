# One interface target carries the language standard, the warnings and Qt's strictness switches.
add_library(tessivar_options INTERFACE)
target_compile_features(tessivar_options INTERFACE cxx_std_20)
target_compile_options(tessivar_options INTERFACE -Wall -Wextra -Wpedantic)
if(TESSIVAR_WERROR)
  target_compile_options(tessivar_options INTERFACE -Werror)
endif()
target_compile_definitions(tessivar_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_FOREACH)

# A build that stops at the first memory or undefined-behaviour fault (AddressSanitizer and
# UndefinedBehaviorSanitizer). The tests run it with ASAN_OPTIONS/UBSAN_OPTIONS halt_on_error=1.
option(TESSIVAR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(TESSIVAR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# tessivar-directory and the tests linked with its library built with ThreadSanitizer: the server's
# shared state (answer cache, access log, counters, connection pool) under many workers.
option(TESSIVAR_SANITIZE_THREADS "Build tessivar-directory with ThreadSanitizer" OFF)
if(TESSIVAR_SANITIZE AND TESSIVAR_SANITIZE_THREADS)
  message(FATAL_ERROR "TESSIVAR_SANITIZE and TESSIVAR_SANITIZE_THREADS cannot be combined")
endif()

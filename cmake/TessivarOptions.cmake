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

# libFuzzer targets (fuzz/), in a build folder of their own configured with clang:
#   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DTESSIVAR_FUZZ=ON
#   cmake --build build-fuzz --target fuzz_all
# Every library of that build is compiled with the fuzzer's coverage hooks, AddressSanitizer and
# UndefinedBehaviorSanitizer; each target links libFuzzer's main. scripts/fuzz does all of it.
option(TESSIVAR_FUZZ "Build the libFuzzer targets in fuzz/ (needs clang)" OFF)
if(TESSIVAR_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(WARNING "TESSIVAR_FUZZ needs clang (CC=clang CXX=clang++ in a fresh build folder): no fuzz targets")
  set(TESSIVAR_FUZZ OFF)
endif()
if(TESSIVAR_FUZZ)
  if(TESSIVAR_SANITIZE)
    message(FATAL_ERROR "TESSIVAR_FUZZ brings its own sanitizers: leave TESSIVAR_SANITIZE off")
  endif()
  # Any finding stops the run, so that libFuzzer saves the input that caused it. Clang 14 cannot
  # emit the function-type check beside the coverage hooks in a coroutine ("Cannot represent a
  # difference across sections"), so that one check of the undefined group is left out.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize=function
                      -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# cmake --install BUILD into PREFIX, then every file a desktop install needs is there.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} RESULT_VARIABLE result
                OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected
  bin/tessivar
  bin/tessivar-directory
  lib/tessivar/tessivar-directory-first-catalogue
  share/applications/tessivar.desktop
  share/icons/hicolor/scalable/apps/tessivar.svg
  share/metainfo/example.halvorne.Tessivar.metainfo.xml
  share/man/man1/tessivar.1.gz
  share/man/man1/tessivar-directory.1.gz
  share/tessivar/catalogue/stations.csv
  share/tessivar/catalogue/tv.csv
  share/tessivar/catalogue/clips.csv
  lib/systemd/system/tessivar-directory.service
  lib/systemd/system/tessivar-directory-check.service
  lib/systemd/system/tessivar-directory-check.timer
  lib/sysusers.d/tessivar-directory.conf
  share/doc/tessivar/copyright
  share/doc/tessivar/changelog.Debian.gz
  share/doc/tessivar/examples/tessivar-directory.conf)
foreach(size 16 24 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/tessivar.png)
endforeach()
if(WEBENGINE)
  list(APPEND expected lib/tessivar/tessivar_webengine.so)
endif()

set(missing "")
foreach(path IN LISTS expected)
  if(NOT EXISTS ${PREFIX}/${path})
    list(APPEND missing ${path})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "Not installed: ${missing}")
endif()

# The unit names real paths: nothing is left unconfigured, and it runs the installed program.
file(READ ${PREFIX}/lib/systemd/system/tessivar-directory.service unit)
if(unit MATCHES "@[A-Z_]+@" OR NOT unit MATCHES "ExecStart=/[^ ]*/tessivar-directory serve")
  message(FATAL_ERROR "The unit is not configured:\n${unit}")
endif()

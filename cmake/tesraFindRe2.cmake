# re2::re2: the RE2 library that tesra::validate matches type constructs with
# (on Debian the package libre2-dev). Taken from RE2's own CMake package where
# it has one, else through pkg-config, else by a plain search; configuring
# stops with a message when it is missing.
if(NOT TARGET re2::re2)
  find_package(re2 CONFIG QUIET)
endif()
if(NOT TARGET re2::re2)
  find_package(PkgConfig QUIET)
  if(PKG_CONFIG_FOUND)
    pkg_check_modules(TESRA_RE2 QUIET IMPORTED_TARGET re2)
  endif()
  add_library(re2::re2 INTERFACE IMPORTED)
  if(TARGET PkgConfig::TESRA_RE2)
    target_link_libraries(re2::re2 INTERFACE PkgConfig::TESRA_RE2)
  else()
    find_path(TESRA_RE2_INCLUDE_DIR re2/re2.h)
    find_library(TESRA_RE2_LIBRARY re2)
    if(NOT TESRA_RE2_INCLUDE_DIR OR NOT TESRA_RE2_LIBRARY)
      message(FATAL_ERROR "tesra needs the RE2 library and its headers (re2/re2.h); "
                          "on Debian: apt-get install libre2-dev")
    endif()
    find_package(Threads REQUIRED)
    target_include_directories(re2::re2 INTERFACE ${TESRA_RE2_INCLUDE_DIR})
    target_link_libraries(re2::re2 INTERFACE ${TESRA_RE2_LIBRARY} Threads::Threads)
  endif()
endif()

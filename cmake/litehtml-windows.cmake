# The page engine's libraries for the MinGW-w64 build, from the cache that
# scripts/build-litehtml-windows.sh fills, under the names the Linux build finds them by.
set(QUORVEL_LITEHTML_WINDOWS "" CACHE PATH "litehtml and gumbo built for MinGW-w64")
if(QUORVEL_LITEHTML_WINDOWS AND EXISTS "${QUORVEL_LITEHTML_WINDOWS}/.quorvel-built"
   AND NOT TARGET litehtml-static)
  set(_prefix ${QUORVEL_LITEHTML_WINDOWS})
  add_library(PkgConfig::GUMBO STATIC IMPORTED)
  set_target_properties(PkgConfig::GUMBO PROPERTIES
    IMPORTED_LOCATION ${_prefix}/lib/libgumbo.a
    INTERFACE_INCLUDE_DIRECTORIES ${_prefix}/include)
  add_library(litehtml-static STATIC IMPORTED)
  set_target_properties(litehtml-static PROPERTIES
    IMPORTED_LOCATION ${_prefix}/lib/liblitehtml.a
    INTERFACE_COMPILE_DEFINITIONS LITEHTML_UTF8
    INTERFACE_INCLUDE_DIRECTORIES "${_prefix}/include/litehtml;${_prefix}/include"
    INTERFACE_LINK_LIBRARIES PkgConfig::GUMBO)
  unset(_prefix)
endif()

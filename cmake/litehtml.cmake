# The page engine: litehtml 0.9 and the gumbo parser it carries, static, from the cache that
# scripts/build-litehtml.sh fills (QUORVEL_LITEHTML, or one of the default folders), or the
# system's own litehtml where that is 0.9. Defines the target quorvel_litehtml when found.
set(QUORVEL_LITEHTML "" CACHE PATH "litehtml 0.9 built by scripts/build-litehtml.sh")
if(MINGW)
  set(_candidates ${QUORVEL_LITEHTML} /var/cache/quorvel/litehtml-0.9-mingw-r1)
else()
  set(_candidates ${QUORVEL_LITEHTML} /var/cache/quorvel/litehtml-0.9-linux-r1)
  if(DEFINED ENV{XDG_CACHE_HOME})
    list(APPEND _candidates $ENV{XDG_CACHE_HOME}/quorvel/litehtml-0.9-linux-r1)
  elseif(DEFINED ENV{HOME})
    list(APPEND _candidates $ENV{HOME}/.cache/quorvel/litehtml-0.9-linux-r1)
  endif()
endif()
foreach(_prefix IN LISTS _candidates)
  if(EXISTS "${_prefix}/.quorvel-built" AND NOT TARGET quorvel_litehtml)
    add_library(quorvel_gumbo STATIC IMPORTED)
    set_target_properties(quorvel_gumbo PROPERTIES IMPORTED_LOCATION ${_prefix}/lib/libgumbo.a)
    add_library(quorvel_litehtml STATIC IMPORTED)
    # Its headers name each other both as <litehtml/x.h> and as "x.h".
    set_target_properties(quorvel_litehtml PROPERTIES
      IMPORTED_LOCATION ${_prefix}/lib/liblitehtml.a
      INTERFACE_INCLUDE_DIRECTORIES "${_prefix}/include;${_prefix}/include/litehtml;${_prefix}/include/gumbo"
      INTERFACE_LINK_LIBRARIES quorvel_gumbo)
    message(STATUS "page engine: litehtml 0.9 from ${_prefix}")
  endif()
endforeach()
if(NOT TARGET quorvel_litehtml AND NOT MINGW AND EXISTS /usr/include/litehtml/document_container.h)
  # A system litehtml 0.9 (the 0.6 of Debian 12 has no document_container.h).
  find_package(litehtml CONFIG QUIET)
  if(TARGET litehtml)
    add_library(quorvel_litehtml INTERFACE IMPORTED)
    set_target_properties(quorvel_litehtml PROPERTIES
      INTERFACE_INCLUDE_DIRECTORIES "/usr/include;/usr/include/litehtml"
      INTERFACE_LINK_LIBRARIES litehtml)
    message(STATUS "page engine: the system's litehtml 0.9")
  endif()
endif()
unset(_candidates)
unset(_prefix)

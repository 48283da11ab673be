# The Windows page engine cache's folder (litehtml and gumbo, static, for MinGW-w64). Its name
# carries the build recipe's version, as the Qt cache's does.
litehtml_windows=${QUORVEL_LITEHTML_WINDOWS:-/var/cache/quorvel/litehtml-0.6-mingw-r1}

# The Windows Qt cache's folder. Its name carries the build recipe's version: a changed recipe
# builds a new cache instead of taking one made with other features.
qt_windows=${QUORVEL_QT_WINDOWS:-/var/cache/quorvel/qt-6.4.2-mingw-r5}

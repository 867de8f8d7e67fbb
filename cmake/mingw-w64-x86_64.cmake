# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64), against
# Qt's base module for Windows that scripts/build-qt-mingw.sh puts in a cache folder.
#
# The Qt-free programs link the compiler's runtime statically (CMakeLists.txt says which),
# so they run under Wine (or on Windows) without DLLs beside them. The tests run through
# Wine as their emulator.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-compilers.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Where scripts/build-qt-mingw.sh installs Qt for Windows; Qt's build tools (moc, uic, rcc)
# are the host's.
if(NOT QUILLET_QT_MINGW_DIR)
  if(DEFINED ENV{QUILLET_QT_MINGW_DIR})
    set(QUILLET_QT_MINGW_DIR $ENV{QUILLET_QT_MINGW_DIR})
  elseif(DEFINED ENV{XDG_CACHE_HOME})
    set(QUILLET_QT_MINGW_DIR $ENV{XDG_CACHE_HOME}/quillet/qt-6.4.2-mingw-w64)
  else()
    set(QUILLET_QT_MINGW_DIR $ENV{HOME}/.cache/quillet/qt-6.4.2-mingw-w64)
  endif()
endif()
if(EXISTS ${QUILLET_QT_MINGW_DIR}/lib/cmake/Qt6)
  list(APPEND CMAKE_FIND_ROOT_PATH ${QUILLET_QT_MINGW_DIR})
  list(APPEND CMAKE_PREFIX_PATH ${QUILLET_QT_MINGW_DIR})
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()

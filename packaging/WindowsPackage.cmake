# The Windows program folder: both editions and quillet-dump, the Qt DLLs they load, the
# compiler's runtime DLLs that the programs and Qt's DLLs share, the Windows platform
# plugin and style, Qt's Japanese texts, qt.conf pointing Qt at them, and the README.
# `cpack` packs it as a .zip; the target windows-installer makes the NSIS installer of the
# same folder (quillet.nsi).
if(NOT TARGET quillet-viewer)
  message(STATUS "No Qt for Windows: the Windows package is not made (scripts/build-qt-mingw.sh)")
  return()
endif()

install(TARGETS quillet-viewer quillet-editor quillet-dump RUNTIME DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
        DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)

foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${runtime}" OR NOT EXISTS "${runtime}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
  endif()
  install(FILES ${runtime} DESTINATION .)
endforeach()

# Qt's translations are the same files on every platform: the host's serve.
set(QUILLET_QT_JAPANESE /usr/share/qt6/translations/qtbase_ja.qm CACHE FILEPATH
    "Qt's Japanese texts for the Windows package (Debian package qt6-translations-l10n)")
if(NOT EXISTS ${QUILLET_QT_JAPANESE})
  message(FATAL_ERROR "${QUILLET_QT_JAPANESE} is missing: install qt6-translations-l10n")
endif()
install(FILES ${QUILLET_QT_JAPANESE} DESTINATION translations)
install(FILES qt.conf ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME quillet-${PROJECT_VERSION}-windows-x64)
include(CPack)

# The installer: the same folder installed into a stage, its file list for the
# uninstaller, then makensis (Debian package nsis).
find_program(QUILLET_MAKENSIS makensis)
if(NOT QUILLET_MAKENSIS)
  message(STATUS "makensis not found (Debian package nsis): no target windows-installer")
  return()
endif()
set(stage ${CMAKE_BINARY_DIR}/windows-stage)
set(installer ${CMAKE_BINARY_DIR}/quillet-${PROJECT_VERSION}-windows-x64-installer.exe)
set(uninstallList ${CMAKE_BINARY_DIR}/windows-uninstall.nsh)
add_custom_target(windows-installer
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${stage}
  COMMAND ${CMAKE_COMMAND} -DSTAGE=${stage} -DOUT=${uninstallList}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/NsisUninstallList.cmake
  COMMAND ${QUILLET_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage}
          -DUNINSTALL_LIST=${uninstallList} -DOUTFILE=${installer}
          ${CMAKE_CURRENT_SOURCE_DIR}/quillet.nsi
  DEPENDS quillet-viewer quillet-editor quillet-dump
  BYPRODUCTS ${installer}
  COMMENT "Making the Windows installer ${installer}"
  VERBATIM)

# cmake -DSTAGE=DIR -DOUT=FILE -P NsisUninstallList.cmake
#
# Writes the uninstaller's part of quillet.nsi: one Delete for every file installed from
# the stage folder, then one RMDir for each of its folders, deepest first, so the
# uninstaller removes exactly what the installer put there and no file the user made.
file(GLOB_RECURSE files RELATIVE ${STAGE} ${STAGE}/*)
file(GLOB_RECURSE folders LIST_DIRECTORIES true RELATIVE ${STAGE} ${STAGE}/*)
list(REMOVE_ITEM folders ${files})
list(SORT folders ORDER DESCENDING)  # a folder after everything inside it
set(lines "")
foreach(file IN LISTS files)
  string(REPLACE "/" "\\" file "${file}")
  string(APPEND lines "Delete \"$INSTDIR\\${file}\"\n")
endforeach()
foreach(folder IN LISTS folders)
  string(REPLACE "/" "\\" folder "${folder}")
  string(APPEND lines "RMDir \"$INSTDIR\\${folder}\"\n")
endforeach()
file(WRITE ${OUT} "${lines}")

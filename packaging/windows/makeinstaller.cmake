# Makes Veludor's Windows installer from a run folder with makensis:
#   cmake -DRUN_DIR=<run folder> -DVERSION=<x.y.z> -DOUTPUT=<setup.exe> [-DWORK_DIR=<dir>]
#         -P makeinstaller.cmake
# The run folder holds veludor.exe and what it reads beside it (skin/, the font, the
# sound); every file in it is installed, except a parametre.ini, which is the user's.
# Beside them goes fichiers-installes.txt, their list, which the next version's installer
# reads to remove the files it no longer ships.
foreach(Var RUN_DIR VERSION OUTPUT)
  if(NOT DEFINED ${Var})
    message(FATAL_ERROR "makeinstaller.cmake needs -D${Var}=…")
  endif()
endforeach()
if(NOT EXISTS "${RUN_DIR}/veludor.exe")
  message(FATAL_ERROR "${RUN_DIR}/veludor.exe is missing: the installer needs the program")
endif()
find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
  message(FATAL_ERROR "makensis is not installed (Debian package nsis; scripts/deps installs it)")
endif()
if(NOT DEFINED WORK_DIR)
  get_filename_component(WORK_DIR "${OUTPUT}" DIRECTORY)
  set(WORK_DIR "${WORK_DIR}/installer")
endif()
file(MAKE_DIRECTORY "${WORK_DIR}")

file(GLOB_RECURSE Files LIST_DIRECTORIES false RELATIVE "${RUN_DIR}" "${RUN_DIR}/*")
list(REMOVE_ITEM Files parametre.ini fichiers-installes.txt)
list(SORT Files)
set(Install "")
set(Uninstall "")
set(Folders "")
set(Current "-")
foreach(File IN LISTS Files)
  # NSIS reads a quote, a dollar or a backquote in a name as its own syntax.
  if(File MATCHES "[\"$`]")
    message(FATAL_ERROR "cannot install a file whose name holds \", $ or `: ${File}")
  endif()
  get_filename_component(Folder "${File}" DIRECTORY)
  string(REPLACE "/" "\\" WinFolder "${Folder}")
  string(REPLACE "/" "\\" WinFile "${File}")
  if(NOT Folder STREQUAL Current)
    if(Folder STREQUAL "")
      string(APPEND Install "SetOutPath \"$INSTDIR\"\n")
    else()
      string(APPEND Install "SetOutPath \"$INSTDIR\\${WinFolder}\"\n")
    endif()
    set(Current "${Folder}")
  endif()
  string(APPEND Install "File \"${RUN_DIR}/${File}\"\n")
  string(APPEND Uninstall "Delete \"$INSTDIR\\${WinFile}\"\n")
  # Every folder on the way, to remove when empty, the deepest first.
  while(NOT Folder STREQUAL "")
    list(APPEND Folders "${Folder}")
    get_filename_component(Folder "${Folder}" DIRECTORY)
  endwhile()
endforeach()
list(REMOVE_DUPLICATES Folders)
list(SORT Folders)
list(REVERSE Folders)
foreach(Folder IN LISTS Folders)
  string(REPLACE "/" "\\" WinFolder "${Folder}")
  string(APPEND Uninstall "RMDir \"$INSTDIR\\${WinFolder}\"\n")
endforeach()
# The list of the files installed, then their folders (the deepest first, each with a
# trailing backslash), for the next version to remove those it drops.
set(Manifest ${Files})
foreach(Folder IN LISTS Folders)
  list(APPEND Manifest "${Folder}/")
endforeach()
# Joined before the slashes turn into backslashes, which would escape the semicolons.
list(JOIN Manifest "\r\n" Manifest)
string(REPLACE "/" "\\" Manifest "${Manifest}")
file(WRITE "${WORK_DIR}/fichiers-installes.txt" "${Manifest}\r\n")
string(APPEND Install "SetOutPath \"$INSTDIR\"\nFile \"${WORK_DIR}/fichiers-installes.txt\"\n")
string(PREPEND Uninstall "Delete \"$INSTDIR\\fichiers-installes.txt\"\n")
file(WRITE "${WORK_DIR}/files.nsh" "${Install}")
file(WRITE "${WORK_DIR}/unfiles.nsh" "${Uninstall}")

execute_process(
  COMMAND "${MAKENSIS}" -V2 -NOCD "-DVERSION=${VERSION}" "-DOUTFILE=${OUTPUT}"
    "-DFILES=${WORK_DIR}/files.nsh" "-DUNFILES=${WORK_DIR}/unfiles.nsh"
    "${CMAKE_CURRENT_LIST_DIR}/veludor.nsi"
  RESULT_VARIABLE Result)
if(NOT Result EQUAL 0)
  message(FATAL_ERROR "makensis failed (${Result})")
endif()

# Makes the portable zip of a run folder: a folder Veludor/ with everything in it but a
# parametre.ini, to unpack anywhere the user may write (the program keeps its settings
# beside itself).
#   cmake -DRUN_DIR=<run folder> -DOUTPUT=<zip> -P makezip.cmake
foreach(Var RUN_DIR OUTPUT)
  if(NOT DEFINED ${Var})
    message(FATAL_ERROR "makezip.cmake needs -D${Var}=…")
  endif()
endforeach()
if(NOT EXISTS "${RUN_DIR}/veludor.exe")
  message(FATAL_ERROR "${RUN_DIR}/veludor.exe is missing: the zip needs the program")
endif()
get_filename_component(Stage "${OUTPUT}" DIRECTORY)
set(Stage "${Stage}/zip-stage")
file(REMOVE_RECURSE "${Stage}")
file(COPY "${RUN_DIR}/" DESTINATION "${Stage}/Veludor" PATTERN parametre.ini EXCLUDE)
file(REMOVE "${OUTPUT}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${OUTPUT}" --format=zip Veludor
  WORKING_DIRECTORY "${Stage}" RESULT_VARIABLE Result)
file(REMOVE_RECURSE "${Stage}")
if(NOT Result EQUAL 0)
  message(FATAL_ERROR "the zip could not be made (${Result})")
endif()

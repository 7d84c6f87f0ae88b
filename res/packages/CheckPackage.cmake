# tolvane_check_package(<path>): stops with a clear message unless <path> is a
# Windows Installer database whose Property table holds ProductCode, UpgradeCode
# and ProductVersion. Also runs as a script: cmake -DPACKAGE=<path> -P CheckPackage.cmake
function(tolvane_check_package path)
  if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
    message(FATAL_ERROR "Package file not found: ${path}")
  endif()
  if(NOT TOLVANE_MSIINFO)
    find_program(TOLVANE_MSIINFO msiinfo)
  endif()
  if(NOT TOLVANE_MSIINFO)
    message(FATAL_ERROR "msiinfo (msitools) is needed to check the packages")
  endif()
  execute_process(COMMAND "${TOLVANE_MSIINFO}" export "${path}" Property
    RESULT_VARIABLE result OUTPUT_VARIABLE table ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Not a Windows Installer database with a Property table: ${path}")
  endif()
  foreach(property ProductCode UpgradeCode ProductVersion)
    # Rows are "Name<TAB>Value"; the value must not be empty.
    if(NOT table MATCHES "(^|\n)${property}\t[^\r\n]+")
      message(FATAL_ERROR "Package ${path} has no ${property} in its Property table")
    endif()
  endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  tolvane_check_package("${PACKAGE}")
  if(STAMP)
    file(WRITE "${STAMP}" "${PACKAGE}\n")
  endif()
endif()

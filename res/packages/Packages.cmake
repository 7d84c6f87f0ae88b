# The two embedded add-in packages: "MSI" 101 for 64-bit Outlook, 102 for 32-bit.
# By default they are built here by wixl from TolvaneAddin.wxs; a maintainer puts
# the released packages in instead (see README.md):
#   -DTOLVANE_PACKAGE_X64=/path/x64.msi -DTOLVANE_PACKAGE_X86=/path/x86.msi
include(${CMAKE_CURRENT_LIST_DIR}/CheckPackage.cmake)

set(TOLVANE_PACKAGE_X64 "" CACHE FILEPATH "Package for 64-bit Outlook (empty: build the sample)")
set(TOLVANE_PACKAGE_X86 "" CACHE FILEPATH "Package for 32-bit Outlook (empty: build the sample)")

set(TOLVANE_PACKAGE_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")
set(TOLVANE_UPGRADE_CODE_X64 "{5B0E64C1-2C7D-4E5A-9A51-3F6D2B8A7C11}" CACHE INTERNAL "")
set(TOLVANE_UPGRADE_CODE_X86 "{8E3A1F27-6B4C-4D2E-8F90-1A2B3C4D5E6F}" CACHE INTERNAL "")

# tolvane_build_package(<output.msi> ARCH x64|x86 PRODUCT_CODE {..} UPGRADE_CODE {..}
#                       VERSION a.b.c [INSTALLDIR_NAME name] [FAIL_INSTALL])
# Builds one package of the add-in from TolvaneAddin.wxs and checks it.
function(tolvane_build_package output)
  cmake_parse_arguments(P "FAIL_INSTALL" "ARCH;PRODUCT_CODE;UPGRADE_CODE;VERSION;INSTALLDIR_NAME" "" ${ARGN})
  find_program(TOLVANE_WIXL wixl)
  if(NOT TOLVANE_WIXL)
    message(FATAL_ERROR "wixl (msitools) is needed to build the sample packages")
  endif()
  find_program(TOLVANE_PYTHON3 python3 REQUIRED)
  if(NOT P_INSTALLDIR_NAME)
    set(P_INSTALLDIR_NAME "Outlook Tolvane")
  endif()
  if(P_FAIL_INSTALL)
    set(fail 1)
  else()
    set(fail 0)
  endif()
  set(src ${TOLVANE_PACKAGE_SOURCE_DIR})
  # make_package.py runs wixl so that the same sources give the same bytes.
  add_custom_command(OUTPUT ${output}
    COMMAND ${TOLVANE_PYTHON3} ${src}/make_package.py ${TOLVANE_WIXL} ${output} ${src}/TolvaneAddin.wxs
      -a ${P_ARCH} -D Arch=${P_ARCH} -D ProductCode=${P_PRODUCT_CODE} -D UpgradeCode=${P_UPGRADE_CODE}
      -D ProductVersion=${P_VERSION} -D "InstallDirName=${P_INSTALLDIR_NAME}" -D FailInstall=${fail}
    COMMAND ${CMAKE_COMMAND} -DPACKAGE=${output} -P ${src}/CheckPackage.cmake
    WORKING_DIRECTORY ${src}
    DEPENDS ${src}/TolvaneAddin.wxs ${src}/files/Readme.txt ${src}/files/Q7OutlookTolvane.addin
      ${src}/CheckPackage.cmake ${src}/make_package.py
    COMMENT "Building package ${output}"
    VERBATIM)
endfunction()

# tolvane_package_resources(<target> <x64.msi> <x86.msi> <generated.rc>)
# Embeds the two packages as "MSI" 101 and 102 into <target>.
function(tolvane_package_resources target x64 x86 rc)
  file(WRITE ${rc}.in "101 MSI \"@x64@\"\n102 MSI \"@x86@\"\n")
  configure_file(${rc}.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc} ${x64} ${x86})
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${x64} ${x86})
endfunction()

set(_pkg_dir ${CMAKE_CURRENT_BINARY_DIR}/packages)
file(MAKE_DIRECTORY ${_pkg_dir})

# Sample product codes per bitness (a released package brings its own).
set(_product_code_x64 "{FF962B0B-5DC8-4600-8BEE-46CCFC777E89}")
set(_product_code_x86 "{C0F52FCB-D894-441A-8BEA-36711B7D7C3C}")

foreach(_arch x64 x86)
  string(TOUPPER ${_arch} _ARCH)
  if(TOLVANE_PACKAGE_${_ARCH})
    tolvane_check_package("${TOLVANE_PACKAGE_${_ARCH}}")
    set(_${_arch} "${TOLVANE_PACKAGE_${_ARCH}}")
    # Checked again whenever the file changes after configuration.
    add_custom_command(OUTPUT ${_pkg_dir}/${_arch}.checked
      COMMAND ${CMAKE_COMMAND} -DPACKAGE=${_${_arch}} -DSTAMP=${_pkg_dir}/${_arch}.checked
        -P ${TOLVANE_PACKAGE_SOURCE_DIR}/CheckPackage.cmake
      DEPENDS ${_${_arch}} VERBATIM)
    target_sources(tolvane_resources PRIVATE ${_pkg_dir}/${_arch}.checked)
  else()
    set(_${_arch} ${_pkg_dir}/TolvaneAddin-${_arch}.msi)
    tolvane_build_package(${_${_arch}} ARCH ${_arch} PRODUCT_CODE ${_product_code_${_arch}}
      UPGRADE_CODE ${TOLVANE_UPGRADE_CODE_${_ARCH}} VERSION ${PROJECT_VERSION})
  endif()
endforeach()

tolvane_package_resources(tolvane_resources ${_x64} ${_x86} ${_pkg_dir}/Packages.rc)

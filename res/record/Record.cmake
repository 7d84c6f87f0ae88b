# The download-source record "Q7R" 10, generated from SourceInfo.xml. The campaign
# and the referrer are settings of the build, so one tree makes the setups for
# several download sites.
set(TOLVANE_RECORD_CAMPAIGN_ID "1508" CACHE STRING "Campaign number in the download-source record")
set(TOLVANE_RECORD_REFERRER
  "www.filemeadow.example%2fdownloads%2fwindows%2fe-mail-tools%2foutlook-add-ins%2fquorvel-tolvane-7.html"
  CACHE STRING "Download page in the download-source record: no scheme, slashes written %2f")

find_program(TOLVANE_PYTHON3 python3 REQUIRED)

set(_record_dir ${CMAKE_CURRENT_LIST_DIR})
set(TOLVANE_RECORD_FILE ${CMAKE_CURRENT_BINARY_DIR}/record/SourceInfo.q7r
  CACHE INTERNAL "The generated record, for tests")
# Makefiles do not notice a changed command line: the settings file changes instead.
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/record/settings.txt
  CONTENT "${TOLVANE_RECORD_CAMPAIGN_ID}\n${TOLVANE_RECORD_REFERRER}\n")
add_custom_command(
  OUTPUT ${TOLVANE_RECORD_FILE}
  COMMAND ${TOLVANE_PYTHON3} ${_record_dir}/make_record.py
    ${_record_dir}/SourceInfo.xml ${TOLVANE_RECORD_FILE}
    "--set=CampaignID=${TOLVANE_RECORD_CAMPAIGN_ID}"
    "--set=Referrer=${TOLVANE_RECORD_REFERRER}"
  DEPENDS ${_record_dir}/make_record.py ${_record_dir}/SourceInfo.xml
    ${CMAKE_CURRENT_BINARY_DIR}/record/settings.txt
  COMMENT "Generating download-source record"
  VERBATIM)

file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/record/Record.rc
  CONTENT "10 Q7R \"${TOLVANE_RECORD_FILE}\"\n")
target_sources(tolvane_resources PRIVATE
  ${CMAKE_CURRENT_BINARY_DIR}/record/Record.rc
  ${TOLVANE_RECORD_FILE})
set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/record/Record.rc APPEND PROPERTY
  OBJECT_DEPENDS ${TOLVANE_RECORD_FILE})

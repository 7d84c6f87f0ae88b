# The welcome page (RT_HTML, "CSS", "JPG", "GIF"), embedded byte for byte. The
# images are drawn by tools/gen/make_page_art.py and committed.
set(TOLVANE_PAGE_FILES
  ${CMAKE_CURRENT_LIST_DIR}/index.htm
  ${CMAKE_CURRENT_LIST_DIR}/welcome_style.css
  ${CMAKE_CURRENT_LIST_DIR}/images/img1.jpg
  ${CMAKE_CURRENT_LIST_DIR}/images/title-tlvn.jpg
  ${CMAKE_CURRENT_LIST_DIR}/images/bg-main.jpg
  ${CMAKE_CURRENT_LIST_DIR}/images/tick.jpg
  ${CMAKE_CURRENT_LIST_DIR}/images/main-bullet.gif)
target_sources(tolvane_resources PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Page.rc)
# The compiler sees only the script: a changed page file must rebuild it too.
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/Page.rc APPEND PROPERTY OBJECT_DEPENDS
  ${TOLVANE_PAGE_FILES} ${CMAKE_CURRENT_SOURCE_DIR}/resource.h)

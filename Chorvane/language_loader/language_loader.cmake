# chorvane_language: the language loader (ApplyLanguage), the table of language keys and
# the program's own messages. Not the windows: it finds them and their controls by name.
include_guard(GLOBAL)
add_library(chorvane_language STATIC
  ${CMAKE_CURRENT_LIST_DIR}/language_keys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/language_loader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_messages.cpp)
target_include_directories(chorvane_language PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(chorvane_language PUBLIC platform_text Qt6::Widgets)

# chorvane_help_dialog: the welcome dialog TfrmHelpDialog and its quick-start page.
# Not the main window's first paint: the wiring decides when the dialog is shown.
add_library(chorvane_help_dialog STATIC ${CMAKE_CURRENT_LIST_DIR}/UnitHelpDialog.cpp)
target_link_libraries(chorvane_help_dialog PUBLIC chorvane_language chorvane_common chorvane_message_box Qt6::Widgets)

# The quick-start pages the welcome dialog opens, with the main window's pictures.
file(MAKE_DIRECTORY ${CHORVANE_OUTPUT_DIR}/help)
file(GLOB help_pages ${CMAKE_CURRENT_LIST_DIR}/../help/*.html)
set(help_files ${help_pages} ${CMAKE_SOURCE_DIR}/docs/main-window-en.png ${CMAKE_SOURCE_DIR}/docs/main-window-zh.png)
foreach(f IN LISTS help_files)
  if(EXISTS ${f})
    configure_file(${f} ${CHORVANE_OUTPUT_DIR}/help/ COPYONLY)
  endif()
endforeach()
install(DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/../help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/chorvane/help)
install(FILES ${CMAKE_SOURCE_DIR}/docs/main-window-en.png ${CMAKE_SOURCE_DIR}/docs/main-window-zh.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/chorvane/help OPTIONAL)

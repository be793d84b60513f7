# chorvane_commands: the main window's commands: the menu bar, the toolbar's pictures, tooltips and
# handlers, and the keys that reach them. Not the windows they show, the skin choice or the shell services.
add_library(chorvane_commands STATIC
  ${CMAKE_CURRENT_LIST_DIR}/UnitMainCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolbar_icons.qrc)
target_include_directories(chorvane_commands PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(chorvane_commands PUBLIC chorvane_common chorvane_skin chorvane_sources chorvane_message_box Qt6::Widgets)

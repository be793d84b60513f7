# chorvane_controls: the data the main window stores for its four controls (program resources in the controls' stream format) and its loading into them.
# Not the controls or their persistence: those are the component libraries and the component shell.
add_library(chorvane_controls STATIC
  ${CMAKE_CURRENT_LIST_DIR}/stored_control_data.cpp
  ${CMAKE_CURRENT_LIST_DIR}/controls.qrc
)
target_include_directories(chorvane_controls PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(chorvane_controls PUBLIC component_shell Qt6::Core)

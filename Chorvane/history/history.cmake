# chorvane_history_stream: the component stream of the history list (history.dat), as bytes.
# Not files or widgets: no I/O and no Qt, so that it is fuzzed and tested byte for byte on its own.
include_guard(GLOBAL)
add_library(chorvane_history_stream STATIC
  ${CMAKE_CURRENT_LIST_DIR}/list_view_stream_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_view_stream_writer.cpp)
target_include_directories(chorvane_history_stream PUBLIC ${CMAKE_CURRENT_LIST_DIR})

# chorvane_history: THistory, the history tab's list view, its popup menu and commands, and history.dat.
# Not the main window's wiring: the window places the view, saves at close and routes Play and Edit.
add_library(chorvane_history STATIC
  ${CMAKE_CURRENT_LIST_DIR}/UnitHistory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListViewHistory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/history_model.cpp)
# message_box.h (ProgramError) lies one folder up.
target_include_directories(chorvane_history PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(chorvane_history PUBLIC chorvane_history_stream Qt6::Widgets)

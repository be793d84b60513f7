# chorvane_song_list: the song list document read into tree nodes, the item model over them, and which node actions may be opened.
# Not files, network or widgets: Qt Core only, so that it is fuzzed and benchmarked on its own.
include_guard(GLOBAL)
add_library(chorvane_song_list STATIC
  ${CMAKE_CURRENT_LIST_DIR}/song_list_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/song_tree_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/action_address.cpp)
target_include_directories(chorvane_song_list PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(chorvane_song_list PUBLIC Qt6::Core)

# chorvane_song_tree: TSongTree, the song list tab (tree, search box and button), the download on its own thread, song_list.xml.
# Not the main window's wiring: the window places the tab and the search row, starts the download at its first show, stops it at close.
add_library(chorvane_song_tree STATIC
  ${CMAKE_CURRENT_LIST_DIR}/UnitSongTree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TreeViewList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/song_list_download.cpp
  ${CMAKE_CURRENT_LIST_DIR}/song_list_fetch.cpp)
# message_box.h (ProgramError) lies one folder up.
target_include_directories(chorvane_song_tree PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(chorvane_song_tree PUBLIC chorvane_song_list chorvane_common Qt6::Network Qt6::Widgets)

# chorvane_advert_page: the advert download (Qt Network, on the caller's event loop, within its limits) and the page rules.
# Not widgets: what is fetched, how its text is decoded and which links may open, tested without a window.
include_guard(GLOBAL)
# Which link addresses may open: the rule of the song list's node actions.
include(${CMAKE_CURRENT_LIST_DIR}/../song_tree/song_tree.cmake)
add_library(chorvane_advert_page STATIC
  ${CMAKE_CURRENT_LIST_DIR}/advert_fetch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/advert_page.cpp)
target_include_directories(chorvane_advert_page PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(chorvane_advert_page PUBLIC chorvane_song_list platform_text Qt6::Network Qt6::Gui)

# chorvane_advert: TAdvertPanel, the advert panel `WebBrowser` of the main window: the page, or a tip of our own.
# Not the main window's wiring: the window places the panel and starts the load at its first show.
add_library(chorvane_advert STATIC ${CMAKE_CURRENT_LIST_DIR}/UnitAdvert.cpp)
target_link_libraries(chorvane_advert PUBLIC chorvane_advert_page chorvane_common Qt6::Widgets)

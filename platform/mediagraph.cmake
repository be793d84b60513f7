# platform_mediagraph: the playback graph over GStreamer playbin (state, events, seeking, volume and balance, video painted into an owner window).
# Not a media framework: it offers exactly what the player's graph wrapper calls, nothing for editing, capture or streaming.
add_library(platform_mediagraph STATIC
  ${CMAKE_CURRENT_LIST_DIR}/mediagraph.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mediagraph_audio.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mediagraph_errors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mediagraph_video.cpp
)
set_target_properties(platform_mediagraph PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(platform_mediagraph PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(platform_mediagraph PUBLIC chorvane_platform PkgConfig::GST Qt6::Widgets)

# chorvane_listen_back: the listen-back window TfrmListenBack after a take with the source "Voice and
# accompaniment", and its session (playback, re-renders, Keep). Not the mix: voice_mix renders it.
add_library(chorvane_listen_back STATIC
  ${CMAKE_CURRENT_LIST_DIR}/listen_back_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnitListenBack.cpp)
target_include_directories(chorvane_listen_back PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(chorvane_listen_back PUBLIC chorvane_voice_mix platform_mediagraph chorvane_language
  chorvane_message_box Qt6::Widgets)

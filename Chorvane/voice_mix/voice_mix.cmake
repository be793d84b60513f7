# chorvane_voice_mix: the recording source "Voice and accompaniment": the voice on its own track with timing anchors, the drift fit, the mix after the take, monitoring and calibration.
# Not a window and not the take's order of steps: the take controller drives it, and the dialogs only read and write its choices.
add_library(chorvane_voice_mix STATIC
  ${CMAKE_CURRENT_LIST_DIR}/voice_timing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/correlation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pulse_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/voice_capture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/voice_track.cpp
  ${CMAKE_CURRENT_LIST_DIR}/accompaniment_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mix_render.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mix_stream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mix_stream_player.cpp
  ${CMAKE_CURRENT_LIST_DIR}/monitor_loopback.cpp
  ${CMAKE_CURRENT_LIST_DIR}/voice_mix_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/voice_take.cpp
  ${CMAKE_CURRENT_LIST_DIR}/latency_calibration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/listen_back.cpp
)
target_include_directories(chorvane_voice_mix PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(chorvane_voice_mix PUBLIC NimAudioFileLogic platform_mediagraph platform_text chorvane_language PkgConfig::PULSE PkgConfig::GST Qt6::Core
  PRIVATE Threads::Threads)

# platform_wavein: wave input (open, prepare, add buffer, start, reset, close) over a PulseAudio source or, without a sound server, an ALSA capture device, plus an in-memory device for tests.
# Not a sound API of its own: no mixing, no playback, no choosing of sources; PulseAudio or ALSA does the work.
add_library(platform_wavein STATIC
  ${CMAKE_CURRENT_LIST_DIR}/wavein.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wavein_pulse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wavein_alsa.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wavein_state.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wavein_memory.cpp
)
set_target_properties(platform_wavein PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(platform_wavein PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(platform_wavein PUBLIC chorvane_platform PRIVATE PkgConfig::PULSE PkgConfig::ALSA Threads::Threads)

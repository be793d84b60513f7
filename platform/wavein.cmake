# platform_wavein: wave input (open, prepare, add buffer, start, reset, close) over the default PulseAudio source, plus an in-memory device for tests.
# Not a sound API of its own: no device choice, no mixing, no playback; PulseAudio does the work.
add_library(platform_wavein STATIC
  ${CMAKE_CURRENT_LIST_DIR}/wavein.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wavein_pulse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wavein_state.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wavein_memory.cpp
)
set_target_properties(platform_wavein PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(platform_wavein PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(platform_wavein PUBLIC chorvane_platform PRIVATE PkgConfig::PULSE Threads::Threads)

# chorvane_sources: the recording source dialog TfrmStereoMixer and the program's own choice of
# recording source (source_choice), with the choices of "Voice and accompaniment" and "Measure latency".
# Not capture: the take hands the chosen source to the capture control.
add_library(chorvane_sources STATIC
  ${CMAKE_CURRENT_LIST_DIR}/UnitStereoMixer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/source_choice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/voice_source_panel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/latency_measurement.cpp)
target_include_directories(chorvane_sources PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(chorvane_sources PUBLIC mixer_libraries chorvane_message_box platform_text chorvane_voice_mix chorvane_language Qt6::Widgets)

# chorvane_editor: the audio editor window TfrmAudioEditor over the waveform editor control (editor_control/).
# Not the control: drawing, editing, decoding, playing and saving are the control's; the window keeps the
# modified flag, the menu states, the progress bars and the two questions.
include_guard(GLOBAL)
add_library(chorvane_editor STATIC ${CMAKE_CURRENT_LIST_DIR}/UnitAudioEditor.cpp)
# message_box.h (ProgramError, RunHandler) lies one folder up.
target_include_directories(chorvane_editor PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(chorvane_editor PUBLIC editor_control chorvane_message_box Qt6::Widgets)

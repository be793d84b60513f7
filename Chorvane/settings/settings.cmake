# chorvane_settings_values: the recorder settings of config.ini, their tables, the default recordings
# folder and the autostart entry. Not widgets: no dialog code, so the rules are tested on their own.
include_guard(GLOBAL)
add_library(chorvane_settings_values STATIC
  ${CMAKE_CURRENT_LIST_DIR}/recorder_values.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recordings_folder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/autorun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/language_choice.cpp)
# message_box.h (ProgramError) lies one folder up.
target_include_directories(chorvane_settings_values PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(chorvane_settings_values PUBLIC platform_text Qt6::Core)

# chorvane_settings: the settings dialog TfrmSetting and the folder chooser TFrmDirectory.
# Not the main window's wiring: the dialog hands its values over through callbacks it is given.
add_library(chorvane_settings STATIC
  ${CMAKE_CURRENT_LIST_DIR}/UnitSetting.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Unit_common_directory.cpp)
# RunHandler and the message boxes come from chorvane_message_box (message_box.cpp, one folder up).
target_include_directories(chorvane_settings PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(chorvane_settings PUBLIC chorvane_settings_values chorvane_message_box Qt6::Widgets)

# chorvane_skin: the skin choice: the number kept in config.ini, the skin message to the main window,
# and the file for the number handed to the skin engine.
# Not the engine (skin_engine/) nor the Skin menu (the main window's commands call ChooseSkin).
add_library(chorvane_skin STATIC ${CMAKE_CURRENT_LIST_DIR}/UnitSkin.cpp ${CMAKE_CURRENT_LIST_DIR}/UnitSkin.h)
target_include_directories(chorvane_skin PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(chorvane_skin PUBLIC skin_engine chorvane_common chorvane_message_box chorvane_platform Qt6::Widgets)

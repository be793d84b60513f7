# chorvane_common: TfrmCommon, the program's shared paths, language number, web addresses and shell services.
# Not windows or settings dialogs: it owns no widget, and reads config.ini only for the keys it answers for.
add_library(chorvane_common STATIC ${CMAKE_CURRENT_LIST_DIR}/Unit_common.cpp ${CMAKE_CURRENT_LIST_DIR}/Unit_common.h)
target_include_directories(chorvane_common PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(chorvane_common PUBLIC chorvane_settings_values platform_text Qt6::Core)
# Where an installed program reads its shipped data, seen from its bin/ folder.
target_compile_definitions(chorvane_common PRIVATE CHORVANE_DATADIR_FROM_BINDIR="${CHORVANE_DATADIR_FROM_BINDIR}")

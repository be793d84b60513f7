# chorvane_lyric: the LRC lyric parser and the lyric holder TfrmLyric (a plain object, no window).
# Not the lyric window: drawing the lines in time belongs to the main window's lyric timer.
include_guard(GLOBAL)
add_library(chorvane_lyric STATIC ${CMAKE_CURRENT_LIST_DIR}/UnitLyric.cpp)
set_target_properties(chorvane_lyric PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(chorvane_lyric PUBLIC ${CMAKE_CURRENT_LIST_DIR})

# platform_text: profile strings (config.ini, language files), UTF-8/GBK text conversion and the desktop shell.
# Not a settings framework or a general text library: only the operations the program's callers need.
add_library(platform_text STATIC
  ${CMAKE_CURRENT_LIST_DIR}/profile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/codepage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell.cpp
)
set_target_properties(platform_text PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(platform_text PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(platform_text PUBLIC chorvane_platform Qt6::Core)

# platform_registry: the file-backed key store that stands in for the registry keys of component registration.
# Not a registry emulation: one tree of string values in one text file, no hives, types, security or notifications.
add_library(platform_registry STATIC
  ${CMAKE_CURRENT_LIST_DIR}/registry.cpp
)
set_target_properties(platform_registry PROPERTIES POSITION_INDEPENDENT_CODE ON
                      CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
target_include_directories(platform_registry PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(platform_registry PUBLIC chorvane_platform)

# chorvane_single_instance: one running program per program folder, over a local socket
# in the runtime folder. Not the windows: what "to the front" means is the program's.
add_library(chorvane_single_instance STATIC ${CMAKE_CURRENT_LIST_DIR}/single_instance.cpp
            ${CMAKE_CURRENT_LIST_DIR}/single_instance.h)
target_include_directories(chorvane_single_instance PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(chorvane_single_instance PUBLIC Qt6::Core Qt6::Network)

# The command line and a later start's request, applied to the main window.
target_sources(chorvane_app PRIVATE ${CMAKE_CURRENT_LIST_DIR}/program_start.cpp ${CMAKE_CURRENT_LIST_DIR}/program_start.h)
target_link_libraries(chorvane_app PUBLIC chorvane_single_instance)

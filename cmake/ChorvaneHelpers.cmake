# chorvane_component(<Name> LOGIC <sources...> EXPORTS <sources...> LIBS <libs...>)
# Builds <Name>Logic, a static library of the component's classes (linked by its tests),
# and <Name>, the shared library lib<Name>.so that exports only the in-process server
# entry points. Symbols are hidden so that each library keeps its own object count.
function(chorvane_component name)
  cmake_parse_arguments(C "" "" "LOGIC;EXPORTS;LIBS" ${ARGN})
  add_library(${name}Logic STATIC ${C_LOGIC})
  set_target_properties(${name}Logic PROPERTIES POSITION_INDEPENDENT_CODE ON
                        CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${name}Logic PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name}Logic PUBLIC component_shell ${C_LIBS})
  add_library(${name} SHARED ${C_EXPORTS})
  set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_link_libraries(${name} PRIVATE ${name}Logic)
  target_link_options(${name} PRIVATE -Wl,--exclude-libs,ALL -Wl,--no-undefined)
  install(TARGETS ${name} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/chorvane)
endfunction()

# chorvane_test(<name> LABEL <label> SOURCES <sources...> LIBS <libs...> [QT] [PULSE])
# A GoogleTest executable whose cases become ctest tests with the folder's label.
# QT: the test's main creates a QApplication (offscreen unless a platform is set).
# PULSE: the cases use the private sound server and never run beside one another.
function(chorvane_test name)
  cmake_parse_arguments(T "QT;PULSE" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_QT)
    target_link_libraries(${name} PRIVATE test_support_qt ${T_LIBS})
  else()
    target_link_libraries(${name} PRIVATE test_support ${T_LIBS})
  endif()
  set(props LABELS ${T_LABEL} ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  if(T_PULSE)
    list(APPEND props RESOURCE_LOCK pulse)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()

# chorvane_data(<folder> <files...>)
# Data files the program reads from its data folder: copied into <build>/bin/<folder>/
# (the build tree is a portable program folder) and installed into
# <prefix>/share/chorvane/<folder>/. Files made at build time are installed with
# install(FILES ... DESTINATION ${CHORVANE_INSTALL_DATADIR}/<folder>) instead.
function(chorvane_data folder)
  file(MAKE_DIRECTORY ${CHORVANE_OUTPUT_DIR}/${folder})
  foreach(f IN LISTS ARGN)
    configure_file(${f} ${CHORVANE_OUTPUT_DIR}/${folder}/ COPYONLY)
  endforeach()
  if(ARGN)
    install(FILES ${ARGN} DESTINATION ${CHORVANE_INSTALL_DATADIR}/${folder})
  endif()
endfunction()

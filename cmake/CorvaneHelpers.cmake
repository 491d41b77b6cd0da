# Warnings and test programs of the project's own targets, in one place.

option(CORVANE_WERROR "Treat compiler warnings as errors (the project's own builds and CI)" OFF)

# Our own code builds with -Wall -Wextra; the project's builds add -Werror. A user's default
# build never fails on a warning of a newer or older compiler.
function(corvane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${CORVANE_WERROR}>:-Werror>)
endfunction()

# One GoogleTest program from tests/<folder>/test_<name>.cpp, its cases registered with CTest.
# USES_TOOL: the test runs the corvane command-line tool. USES_WIDGETS: it drives the widgets.
function(corvane_add_test source)
  cmake_parse_arguments(ARG "USES_TOOL;USES_WIDGETS" "" "" ${ARGN})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  if(ARG_USES_WIDGETS)
    target_link_libraries(${name} PRIVATE corvane_widgets corvane_widget_test_main Qt6::Widgets Qt6::Test)
  else()
    target_link_libraries(${name} PRIVATE corvane_test_main)
  endif()
  target_link_libraries(${name} PRIVATE corvane_core GTest::gtest Qt6::Core Qt6::Gui)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  corvane_warnings(${name})
  target_compile_definitions(${name} PRIVATE
    CORVANE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    CORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    CORVANE_BINARY_DIR="${PROJECT_BINARY_DIR}")
  if(ARG_USES_TOOL)
    target_compile_definitions(${name} PRIVATE CORVANE_TOOL="$<TARGET_FILE:corvane>")
    add_dependencies(${name} corvane)
  endif()
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()

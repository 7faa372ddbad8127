# Window tests: the real windows, driven by objectName, one QApplication per process.
file(GLOB SUPPORT_GUI_SOURCES CONFIGURE_DEPENDS support/gui_*.cpp)
add_library(testsupport_gui STATIC ${SUPPORT_GUI_SOURCES})
target_link_libraries(testsupport_gui PUBLIC testsupport wordloom_gui Qt6::Test)
find_package(Qt6 REQUIRED COMPONENTS Test)

file(GLOB_RECURSE GUI_TEST_SOURCES CONFIGURE_DEPENDS gui/*_test.cpp)
add_executable(gui_tests ${GUI_TEST_SOURCES})
target_link_libraries(gui_tests PRIVATE testsupport_gui)
gtest_discover_tests(gui_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120
  ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/lsan.supp")
